// The notice header spells out its message number without <windows.h>; it must still be
// the system's WM_USER + 0x1000, and the codes must keep the values the engine's state uses.
#include "engine/ProgressNotice.h"

#include <windows.h>

#include <gtest/gtest.h>

static_assert(WM_INSTALL_PROGRESS == WM_USER + 0x1000, "message number");
static_assert(WM_INSTALL_PROGRESS == 0x1400, "message number");
static_assert(NoticeChunk == 1 && NoticeFileBegin == 2 && NoticeFileEnd == 3 && NoticeCancel == 4 &&
                  NoticeTotal == 5 && NoticeDone == 6 && NoticeFailed == 7,
              "notice codes");

TEST(ProgressNotice, StartsEmpty)
{
    ProgressNotice notice;
    EXPECT_EQ(notice.code, 0);
    EXPECT_TRUE(notice.name.empty());
    EXPECT_EQ(notice.chunkBytes, 0);
    EXPECT_EQ(notice.size, 0);
}
