#include "NoticeHold.h"

#include <condition_variable>
#include <mutex>

#include "engine/NoticeDelivery.h"

namespace {

std::mutex lock;
std::condition_variable changed;
int32_t heldCode = 0;
bool waiting = false;

} // namespace

bool NoticeDelivery::Delivers(int32_t code)
{
    std::unique_lock<std::mutex> guard(lock);
    waiting = code == heldCode;
    changed.wait(guard, [code] { return heldCode != code; });
    waiting = false;
    return true;
}

NoticeHold::NoticeHold(int32_t code)
{
    std::lock_guard<std::mutex> guard(lock);
    heldCode = code;
}

void NoticeHold::Release()
{
    std::lock_guard<std::mutex> guard(lock);
    heldCode = 0;
    changed.notify_all();
}

bool NoticeHold::Waiting()
{
    std::lock_guard<std::mutex> guard(lock);
    return waiting;
}
