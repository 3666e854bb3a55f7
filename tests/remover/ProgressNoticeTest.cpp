// The notice header spells out its message number without <windows.h>; it must still be
// the system's WM_USER + 0x1000, and the codes must keep the values the engine's state uses.
#include "engine/ProgressNotice.h"

#include <windows.h>

static_assert(WM_INSTALL_PROGRESS == WM_USER + 0x1000 && WM_INSTALL_PROGRESS == 0x1400, "message number");
static_assert(NoticeChunk == 1 && NoticeFileBegin == 2 && NoticeFileEnd == 3 && NoticeCancel == 4 &&
                  NoticeTotal == 5 && NoticeDone == 6 && NoticeFailed == 7,
              "notice codes");
