#include "engine/NoticeDelivery.h"

bool NoticeDelivery::Delivers(int32_t)
{
    return true;
}
