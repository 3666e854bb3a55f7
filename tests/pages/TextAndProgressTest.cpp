// Empty translations, the progress page's bars and file line,
// and the finish page's launch box.
#include "pages/PagesFixture.h"

#include <commctrl.h>

#include "resources/resource.h"
#include "wizard/pages/CancelPage.h"
#include "wizard/pages/FinishPage.h"
#include "wizard/pages/GroupPage.h"
#include "wizard/pages/ProgressPage.h"

namespace pagetest {
namespace {

struct Bar {
    int low;
    int high;
    int pos;
};

Bar ReadBar(HWND page, int id)
{
    PBRANGE range{};
    ::SendDlgItemMessageA(page, id, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    int pos = static_cast<int>(::SendDlgItemMessageA(page, id, PBM_GETPOS, 0, 0));
    return Bar{range.iLow, range.iHigh, pos};
}

#define EXPECT_BAR(page, id, wantLow, wantHigh, wantPos)   \
    do {                                                   \
        Bar bar = ReadBar(page, id);                       \
        EXPECT_EQ(wantLow, bar.low) << #id " low";         \
        EXPECT_EQ(wantHigh, bar.high) << #id " high";      \
        EXPECT_EQ(wantPos, bar.pos) << #id " position";    \
    } while (0)

// How each page composes its texts is checked with tagged texts in LanguageSwitchTest, and
// the built-in texts themselves in the i18n tests.
TEST_F(PagesTest, EmptyTranslationBlanksItsLabel)
{
    UseLangIni("[lang1]\r\n10023=\r\n10013=\r\n");
    PageHost host;
    HWND cancel = host.Add<CancelPage>()->m_hWnd;
    HWND group = host.Add<GroupPage>()->m_hWnd;
    Repaint(cancel);
    Repaint(group);
    EXPECT_EQ("", ItemText(cancel, IDC_CANCEL_TEXT));
    EXPECT_EQ("", ItemText(group, IDC_GROUP_LABEL));
}

TEST_F(PagesTest, BarsFollowTwoFilesOfTenAndThirtyBytes)
{
    PageHost host;
    ProgressPage* page = host.Add<ProgressPage>();
    Repaint(*page);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 100, 0);

    page->SetTotalRange(40);
    EXPECT_BAR(*page, IDC_TOTAL_BAR, 0, 40, 0);

    page->ShowCurrentFile("C:\\Program Files\\Orvanta 4.00\\a.txt");
    page->SetFileRange(10);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 10, 0);
    page->AdvanceFile(10);
    page->AdvanceTotal(10);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 10, 10);
    EXPECT_BAR(*page, IDC_TOTAL_BAR, 0, 40, 10);

    page->ShowCurrentFile("C:\\Program Files\\Orvanta 4.00\\b.txt");
    page->SetFileRange(30);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 30, 0);
    page->AdvanceFile(16);
    page->AdvanceTotal(16);
    page->AdvanceFile(14);
    page->AdvanceTotal(14);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 30, 30);
    EXPECT_BAR(*page, IDC_TOTAL_BAR, 0, 40, 40);

    // Past the end clamps; an empty file gives an empty range.
    page->AdvanceTotal(5);
    EXPECT_BAR(*page, IDC_TOTAL_BAR, 0, 40, 40);
    page->SetFileRange(0);
    EXPECT_BAR(*page, IDC_FILE_BAR, 0, 0, 0);

    // A repaint keeps the positions.
    Repaint(*page);
    EXPECT_BAR(*page, IDC_TOTAL_BAR, 0, 40, 40);
}

TEST_F(PagesTest, FileLineIsThePrefixAndThePathUntilTheNextPaint)
{
    PageHost host;
    ProgressPage* page = host.Add<ProgressPage>();
    Repaint(*page);
    std::string prefix = Gbk(u8"拷贝：");
    EXPECT_EQ(prefix, ItemText(*page, IDC_CURRENT_FILE));

    std::string path = "C:\\Program Files\\Orvanta 4.00\\docs\\licence.txt";
    page->ShowCurrentFile(path);
    EXPECT_EQ(prefix + path, ItemText(*page, IDC_CURRENT_FILE));
    Repaint(*page);
    EXPECT_EQ(prefix, ItemText(*page, IDC_CURRENT_FILE));
    // The label shortens a long path in its middle itself.
    LONG style = ::GetWindowLongA(::GetDlgItem(*page, IDC_CURRENT_FILE), GWL_STYLE);
    EXPECT_EQ(SS_PATHELLIPSIS, style & SS_ELLIPSISMASK);
}

TEST_F(PagesTest, LaunchBoxIsTickedAtEveryPaint)
{
    PageHost host;
    FinishPage* page = host.Add<FinishPage>();
    Repaint(*page);
    EXPECT_TRUE(page->LaunchRequested());

    ::SendDlgItemMessageA(*page, IDC_LAUNCH_CHECK, BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(page->LaunchRequested());
    Repaint(*page);
    EXPECT_TRUE(page->LaunchRequested()) << "the repaint ticks the box again";
}

} // namespace
} // namespace pagetest
