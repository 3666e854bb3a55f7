#include "NoticeHold.h"

#include <windows.h>

#include "engine/NoticeDelivery.h"

bool NoticeDelivery::Delivers(int32_t code)
{
    for (; code == NoticeHold::heldCode; ::Sleep(1))
        NoticeHold::waiting = true;
    NoticeHold::waiting = false;
    return true;
}
