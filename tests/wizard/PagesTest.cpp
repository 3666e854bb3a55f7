// The pages inside the real frame: the language list and its default, a chosen language
// reaching the frame and every page in texts and fonts, the sorted program groups, the
// folder browser and its trailing-backslash rule, the progress page.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/ProgressNotice.h"
#include "i18n/LanguageTable.h"
#include "WizardFixture.h"
#include "resources/resource.h"
#include "wizard/pages/DirectoryPage.h"
#include "wizard/pages/ProgressPage.h"

namespace {

using PagesTest = WizardFixture;
constexpr int kLanguage = WizardFrame::LanguageIndex;
constexpr int kDirectory = WizardFrame::DirectoryIndex;
constexpr int kGroupPage = WizardFrame::GroupIndex;
constexpr int kProgress = WizardFrame::ProgressIndex;
constexpr int kFinish = WizardFrame::FinishIndex;

std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> items(static_cast<size_t>(::SendMessageA(list, LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < items.size(); ++i) {
        char text[MAX_PATH] = {};
        ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items[i] = text;
    }
    return items;
}

// The font a control-colour request of the page selects for that control.
HFONT FontForControl(HWND control, UINT message)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ before = ::GetCurrentObject(dc, OBJ_FONT);
    ::SendMessageA(::GetParent(control), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    HFONT chosen = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    return chosen;
}

// The default's name is searched as a prefix from after item 0, wrapping around; the
// highlight alone switches no language, and a selection change with nothing selected
// keeps the language too (it would otherwise pick language 0, the built-in texts).
TEST_F(PagesTest, LanguageListHighlightsTheDefaultByPrefixSearchWithoutSwitching)
{
    struct Case { const char* lang; std::vector<std::string> items; int selected; };
    // "Deutsch" finds "Deutsch (Schweiz)" first; "English" is found only by wrapping around.
    const Case cases[] = {
        {"count=2\r\ndefault=1\r\nlang1=Deutsch\r\nlang2=Deutsch (Schweiz)\r\n", {"Deutsch", "Deutsch (Schweiz)"}, 1},
        {"count=2\r\ndefault=1\r\nlang1=English\r\nlang2=Deutsch\r\n", {"English", "Deutsch"}, 0},
        {"count=2\r\ndefault=0\r\nlang1=A\r\nlang2=B\r\n", {"A", "B"}, LB_ERR},
    };
    for (const Case& c : cases) {
        UseLangIni(std::string("[lang]\r\n") + c.lang);
        LanguageTable::Instance()->SetCurrentLanguage(1);
        RunFrame([&] {
            SCOPED_TRACE(c.lang);   // the script's own thread
            HWND list = Item(IDC_LANGUAGE_LIST, kLanguage);
            EXPECT_EQ(c.items, ListItems(list));
            EXPECT_EQ(c.selected, ::SendMessageA(list, LB_GETCURSEL, 0, 0));
            EXPECT_EQ(1, LanguageTable::Instance()->GetCurrentLanguage());
            Post(Page(kLanguage), WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_LIST, LBN_SELCHANGE), LPARAM(list));
            EXPECT_EQ(c.selected == LB_ERR ? 1 : c.selected + 1, LanguageTable::Instance()->GetCurrentLanguage());
        });
    }
}

TEST_F(PagesTest, AChosenLanguageReachesTheFrameAndEveryPageAtItsNextPaint)
{
    UseLangIni(LangIni());
    LanguageTable* table = LanguageTable::Instance();
    RunFrame([&] {
        auto fontOf = [&](int id, int page) {
            return reinterpret_cast<HFONT>(::SendMessageA(Item(id, page), WM_GETFONT, 0, 0));
        };
        HFONT fixed = table->GetFixedFont()->GetSafeHandle();
        EXPECT_EQ(fixed, fontOf(IDC_NEXT, -1));
        HWND list = Item(IDC_LANGUAGE_LIST, kLanguage);
        EXPECT_EQ(0, ::SendMessageA(list, LB_GETCURSEL, 0, 0));
        ClickListItem(list, 1);
        ASSERT_EQ(2, table->GetCurrentLanguage());
        HFONT english = table->GetLanguageFont()->GetSafeHandle();
        ASSERT_NE(fixed, english);

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
                EXPECT_EQ(english, fontOf(IDC_NEXT, -1));
            }
        }
        EXPECT_EQ(BST_CHECKED, ::SendMessageA(launch, BM_GETCHECK, 0, 0)) << "every paint ticks the launch box";
        // Content controls keep the fixed font; labels, buttons and boxes take the language's:
        // in the page's control-colour handler, or (no message) set on the control at its paint.
        struct Shown { int page; int id; const char* text; UINT colourMessage; HFONT font; };
        const Shown shown[] = {
            {kLanguage, IDC_LANGUAGE_LABEL, "E10001", WM_CTLCOLORSTATIC, english},
            {kLanguage, IDC_LANGUAGE_LIST, nullptr, WM_CTLCOLORLISTBOX, fixed},
            {1, IDC_WELCOME_TEXT, "E10002\r\n\r\nE10003\r\n\r\n\r\nE10004\r\n\r\nE10005", 0, nullptr},
            {2, IDC_LICENCE_ACCEPT, "E10007", WM_CTLCOLORBTN, english},
            {2, IDC_LICENCE_TEXT, nullptr, WM_CTLCOLOREDIT, fixed},
            {3, IDC_DIRECTORY_BROWSE, "E20005", 0, english},
            {3, IDC_DIRECTORY_EDIT, nullptr, WM_CTLCOLOREDIT, english},   // not a content control
            {4, IDC_GROUP_LABEL, "E10013", 0, nullptr},
            {4, IDC_GROUP_EDIT, nullptr, WM_CTLCOLOREDIT, fixed},
            {5, IDC_CONFIRM_TEXT, "E10014\r\n\r\nE10015", 0, nullptr},
            {6, IDC_PROGRESS_TEXT, "E10016\r\n\r\nE10017", 0, nullptr},
            {7, IDC_FINISH_TEXT, "E10018\r\nE10019", 0, nullptr},
            {7, IDC_LAUNCH_CHECK, "E10020", 0, english},
            {8, IDC_CANCEL_TEXT, "E10023", 0, nullptr},
        };
        for (const Shown& c : shown) {
            EXPECT_EQ(c.text ? c.text : Text(c.id, c.page), Text(c.id, c.page)) << c.id;
            HFONT font = c.colourMessage ? FontForControl(Item(c.id, c.page), c.colourMessage) : fontOf(c.id, c.page);
            EXPECT_EQ(c.font ? c.font : font, font) << c.id;
        }

        Show(kLanguage);
        ClickListItem(list, 0);
        EXPECT_EQ(1, table->GetCurrentLanguage());
        Show(kFinish);
        Repaint(Window());
        EXPECT_EQ(Gbk(u8"Orvanta 4.00已经安装完成.\r\n请按确定键来离开安装程序"), Text(IDC_FINISH_TEXT, kFinish));
        EXPECT_EQ(fixed, fontOf(IDC_LAUNCH_CHECK, kFinish));
    });
}

// The list's sorting is its template's (LBS_SORT, checked with the templates).
TEST_F(PagesTest, ExistingProgramGroupsAreListedAndAPickBecomesTheGroup)
{
    const char* names[] = {"zeta pages", "Alpha pages", "mid pages"};
    for (const char* name : names)
        ::CreateDirectoryA((ProgramsFolder() + name).c_str(), nullptr);
    InstallEngine* engine = MakeEngine(LangIni());
    RunFrame([&] {
        GoTo(kGroupPage);
        EXPECT_EQ(kGroup, Text(IDC_GROUP_EDIT, kGroupPage));
        HWND list = Item(IDC_GROUP_LIST, kGroupPage);
        EXPECT_EQ(LB_ERR, ::SendMessageA(list, LB_GETCURSEL, 0, 0)) << "nothing is selected at start";
        std::vector<std::string> items = ListItems(list), groups = engine->GetProgramGroups();
        EXPECT_TRUE(std::is_permutation(items.begin(), items.end(), groups.begin(), groups.end()));
        auto mid = std::find(items.begin(), items.end(), "mid pages");
        ASSERT_NE(items.end(), mid);
        ClickListItem(list, static_cast<int>(mid - items.begin()));
        EXPECT_EQ("mid pages", Text(IDC_GROUP_EDIT, kGroupPage));
        Click(IDC_NEXT);
        EXPECT_EQ("mid pages", engine->GetProgramGroup());
    });
    for (const char* name : names)
        ::RemoveDirectoryA((ProgramsFolder() + name).c_str());
}

// Without an engine nobody else has started COM on the frame's thread: the browser's new
// dialog style must get it itself (under Wine it once returned with a corrupt register).
TEST_F(PagesTest, FolderBrowserCancelKeepsTheDirectoryAndOkGivesOneTrailingBackslash)
{
    // GBK 0x955C ends in the byte of a backslash; the folder name still needs a separator.
    const std::string dbcs = "C:\\" + Gbk(u8"昞");
    ASSERT_EQ('\\', dbcs.back());
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
            EXPECT_TRUE(button == IDOK || before == Text(IDC_DIRECTORY_EDIT, kDirectory)) << "a cancel keeps it";
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
        send(NoticeFileBegin, 0, 10);
        send(NoticeChunk, 10, 0);
        send(NoticeFileBegin, 0, 30);
        EXPECT_TRUE(WaitFor([&] { return bars() == "0..30 at 0, 0..40 at 10"; })) << bars();
        EXPECT_TRUE(WaitFor([&] { return Text(IDC_CURRENT_FILE, kProgress) == Gbk(u8"拷贝：") + path; }));
        Repaint(Window());
        EXPECT_EQ(Gbk(u8"拷贝："), Text(IDC_CURRENT_FILE, kProgress)) << "a paint shows the prefix alone";

        // Sent by the script's thread as the worker sends them, or all in one call on the
        // frame's thread, where no tick can come between the last chunk and the leaving.
        struct Left { int32_t code; int page; bool oneCall; };
        for (Left left : {Left{NoticeDone, kFinish, true}, Left{NoticeFailed, WizardFrame::CancelIndex, false}}) {
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
