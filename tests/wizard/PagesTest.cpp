// The pages inside the real frame: the language list and its default, a chosen language
// reaching the frame and every page at its next paint, the folder browser and its
// trailing-backslash rule, the progress page.
#include <algorithm>
#include <tuple>

#include "engine/ProgressNotice.h"
#include "i18n/LanguageTable.h"
#include "WizardFixture.h"
#include "resources/resource.h"
#include "wizard/pages/DirectoryPage.h"

namespace {

using PagesTest = WizardFixture;
constexpr int kLanguage = WizardFrame::LanguageIndex;
constexpr int kDirectory = WizardFrame::DirectoryIndex;
constexpr int kProgress = WizardFrame::ProgressIndex;
constexpr int kFinish = WizardFrame::FinishIndex;
constexpr int kCancel = WizardFrame::CancelIndex;

// The default's name is searched as a prefix from after item 0, wrapping around ("Builtin"
// in the next test is found so); the highlight alone switches no language, and a selection
// change with nothing selected keeps the language (it would otherwise pick language 0).
TEST_F(PagesTest, LanguageListHighlightsTheDefaultByPrefixSearchWithoutSwitching)
{
    UseLangIni("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Deutsch\r\nlang2=Deutsch (Schweiz)\r\n");
    LanguageTable* table = LanguageTable::Instance();
    RunFrame([&] {
        HWND list = Item(IDC_LANGUAGE_LIST, kLanguage);
        EXPECT_EQ(1, ::SendMessageA(list, LB_GETCURSEL, 0, 0));
        EXPECT_EQ(1, table->GetCurrentLanguage());
        const LPARAM change = MAKEWPARAM(IDC_LANGUAGE_LIST, LBN_SELCHANGE);
        Post(Page(kLanguage), WM_COMMAND, change, LPARAM(list));
        EXPECT_EQ(2, table->GetCurrentLanguage());
        ::SendMessageA(list, LB_SETCURSEL, WPARAM(-1), 0);
        Post(Page(kLanguage), WM_COMMAND, change, LPARAM(list));
        EXPECT_EQ(2, table->GetCurrentLanguage());
    });
}

// Texts as composed at the paint; the frame's buttons take the language's font.
TEST_F(PagesTest, AChosenLanguageReachesTheFrameAndEveryPageAtItsNextPaint)
{
    UseLangIni(LangIni());
    LanguageTable* table = LanguageTable::Instance();
    RunFrame([&] {
        auto nextFont = [&] { return HFONT(::SendMessageA(Item(IDC_NEXT), WM_GETFONT, 0, 0)); };
        EXPECT_EQ(table->GetFixedFont()->GetSafeHandle(), nextFont());
        HWND list = Item(IDC_LANGUAGE_LIST, kLanguage);
        EXPECT_EQ(0, ::SendMessageA(list, LB_GETCURSEL, 0, 0));
        ClickListItem(list, 1);
        ASSERT_EQ(2, table->GetCurrentLanguage());

        HWND launch = Item(IDC_LAUNCH_CHECK, kFinish);
        for (int page = 0; page < WizardFrame::PageCount; ++page) {
            Show(page);
            if (page == kFinish)
                ::SendMessageA(launch, BM_SETCHECK, BST_UNCHECKED, 0);
            Repaint(Window());
            if (page == WizardFrame::WelcomeIndex) {
                EXPECT_EQ("E20002 >", Text(IDC_NEXT));
                EXPECT_EQ("< E20001", Text(IDC_BACK));
                EXPECT_EQ("E20004", Text(IDC_CANCEL_BUTTON));
                EXPECT_EQ(table->GetLanguageFont()->GetSafeHandle(), nextFont());
            }
        }
        EXPECT_EQ(BST_CHECKED, ::SendMessageA(launch, BM_GETCHECK, 0, 0)) << "a paint ticks the launch box";
        const std::tuple<int, int, const char*> shown[] = {
            {kLanguage, IDC_LANGUAGE_LABEL, "E10001"},
            {1, IDC_WELCOME_TEXT, "E10002\r\n\r\nE10003\r\n\r\n\r\nE10004\r\n\r\nE10005"},
            {2, IDC_LICENCE_ACCEPT, "E10007"},
            {3, IDC_DIRECTORY_BROWSE, "E20005"},
            {4, IDC_GROUP_LABEL, "E10013"},
            {5, IDC_CONFIRM_TEXT, "E10014\r\n\r\nE10015"},
            {6, IDC_PROGRESS_TEXT, "E10016\r\n\r\nE10017"},
            {7, IDC_FINISH_TEXT, "E10018\r\nE10019"},
            {8, IDC_CANCEL_TEXT, "E10023"},
        };
        for (const auto& [page, id, text] : shown)
            EXPECT_EQ(text, Text(id, page)) << id;

        Show(kLanguage);
        ClickListItem(list, 0);
        EXPECT_EQ(1, table->GetCurrentLanguage());
        Show(kFinish);
        Repaint(Window());
        EXPECT_EQ(Builtin(10018) + "\r\n" + Builtin(10019), Text(IDC_FINISH_TEXT, kFinish));
    });
}

// Without an engine nobody else has started COM on the frame's thread: the browser's new
// dialog style must get it itself (under Wine it once returned with a corrupt register).
TEST_F(PagesTest, FolderBrowserCancelKeepsTheDirectoryAndOkGivesOneTrailingBackslash)
{
    // GBK 0x955C ends in the byte of a backslash; the folder name still needs a separator.
    const std::string dbcs = "C:\\\x95\x5C";   // 昞
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\", "C:\\"}, {"C:\\Tools", "C:\\Tools\\"}, {dbcs, dbcs + "\\"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, DirectoryPage::WithTrailingBackslash(c.first)) << c.first;

    RunFrame([&] {
        Show(kDirectory);
        std::string before = Text(IDC_DIRECTORY_EDIT, kDirectory);
        for (int button : {IDCANCEL, IDOK}) {
            Click(IDC_DIRECTORY_BROWSE, kDirectory);
            HWND browser = WaitForBox();
            ASSERT_TRUE(browser) << "no folder browser appeared";
            EXPECT_TRUE(Answer(browser, button));
            EXPECT_TRUE(button == IDOK || before == Text(IDC_DIRECTORY_EDIT, kDirectory)) << "cancel keeps it";
        }
        std::string chosen = Text(IDC_DIRECTORY_EDIT, kDirectory);
        ASSERT_NE(before, chosen) << "OK chose no folder";
        EXPECT_EQ('\\', chosen.back());
        EXPECT_EQ(std::string::npos, chosen.find("\\\\")) << chosen;
    });
}

// The page keeps what the notices say and gives it to its controls at its timer's tick,
// when it is left (finished or failed: the exact end state, before any tick could come)
// and when it is shown; a hidden page takes every change at once, and never holds the
// drawing of its controls. A paint shows the file line's prefix alone.
TEST_F(PagesTest, ProgressPageShowsTheNoticesByTheNextTickAndExactlyWhenLeftOrHidden)
{
    RunFrame([&] {
        HWND fileBar = Item(IDC_FILE_BAR, kProgress), totalBar = Item(IDC_TOTAL_BAR, kProgress);
        const std::string path = "C:\\Program Files\\Orvanta 4.00\\docs\\licence.txt";
        auto send = [&](int32_t code, int32_t chunk, int32_t size) {
            ProgressNotice notice{code, path, chunk, size};
            ::SendMessageA(Window(), WM_INSTALL_PROGRESS, 0, reinterpret_cast<LPARAM>(&notice));
        };
        auto bars = [&] { return BarState(fileBar) + ", " + BarState(totalBar); };

        Show(kProgress);
        Repaint(Window());
        send(NoticeTotal, 0, 40);
        send(NoticeFileBegin, 0, 30);
        send(NoticeChunk, 10, 0);
        EXPECT_TRUE(WaitFor([&] { return bars() == "0..30 at 10, 0..40 at 10"; })) << bars();
        EXPECT_TRUE(WaitFor([&] { return Text(IDC_CURRENT_FILE, kProgress) == Builtin(10024) + path; }));
        Repaint(Window());
        EXPECT_EQ(Builtin(10024), Text(IDC_CURRENT_FILE, kProgress)) << "a paint shows the prefix alone";

        // Sent by the script's thread as the worker sends them, or all in one call on the
        // frame's thread, where no tick can come between the last chunk and the leaving.
        struct Left { int32_t code; int page; bool oneCall; };
        for (Left left : {Left{NoticeDone, kFinish, true}, Left{NoticeFailed, kCancel, false}}) {
            auto run = [&] {
                send(NoticeTotal, 0, 100000);
                for (int32_t file : {60000, 40000}) {
                    send(NoticeFileBegin, 0, file);
                    for (int32_t chunk = 0; chunk < file; chunk += 16384)
                        send(NoticeChunk, std::min(16384, file - chunk), 0);
                }
                send(left.code, 0, 0);
            };
            Show(kProgress);
            if (left.oneCall)
                OnUiThread(run);
            else
                run();
            Sync();
            EXPECT_EQ(left.page, VisiblePage());
            EXPECT_EQ("0..40000 at 40000, 0..100000 at 100000", bars()) << left.code;
        }
        // A notice still on its way when the page was left.
        std::string seen;
        OnUiThread([&] {
            send(NoticeFileBegin, 0, 7);
            send(NoticeChunk, 3, 0);
            seen = bars();
        });
        EXPECT_EQ("0..7 at 3, 0..100000 at 100000", seen);
        for (HWND bar : {fileBar, totalBar})
            EXPECT_TRUE(::GetWindowLongA(bar, GWL_STYLE) & WS_VISIBLE) << "drawing held on a hidden page";
        Show(kProgress);
        EXPECT_TRUE(::IsWindowVisible(fileBar) && ::IsWindowVisible(totalBar));
    });
}

} // namespace
