// The quiet benchmark build: only the worker's final notice reaches the frame, which
// needs it to show the finish page. The extraction runs exactly as shipped otherwise,
// so the difference to the shipped build is the cost of the user-interface round trips.
#include "engine/NoticeDelivery.h"

#include "engine/ProgressNotice.h"

bool NoticeDelivery::Delivers(int32_t code)
{
    return code == NoticeDone || code == NoticeFailed;
}
