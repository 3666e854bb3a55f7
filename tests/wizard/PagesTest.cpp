// The pages inside the real frame: the language list and its default, a chosen language
// reaching the frame and every page at its next paint, any language of a Unicode lang.ini
// and the built-in Chinese under a code page without Chinese, the folder browser and its
// trailing-backslash rule, the progress page.
#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "engine/ProgressNotice.h"
#include "framework/CListBox.h"
#include "i18n/LanguageTable.h"
#include "WizardFixture.h"
#include "resources/resource.h"
#include "wizard/pages/DirectoryPage.h"

namespace {

using PagesTest = WizardFixture;
constexpr int kLanguage = WizardFrame::LanguageIndex;
constexpr int kWelcome = WizardFrame::WelcomeIndex;
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

// The list offers the user's own language first where lang.ini declares it (the tests' Wine
// user's is 2052), and that language is the current one from the start.
TEST_F(PagesTest, TheLanguageListPreselectsTheLanguageDeclaredForTheUser)
{
    UseLangIni(Utf16File(u8"[lang]\r\ncount=3\r\ndefault=1\r\nlang1=English\r\nlang2=Deutsch\r\nlang3=简体中文\r\n"
                         u8"[lang1]\r\nlangid=1033\r\n10001=Languages:\r\n[lang2]\r\nlangid=1031\r\n"
                         u8"[lang3]\r\nlangid=2052\r\n10001=语言：\r\n"));
    LanguageTable* table = LanguageTable::Instance();
    RunFrame([&] {
        EXPECT_EQ(2, ::SendMessageW(Item(IDC_LANGUAGE_LIST, kLanguage), LB_GETCURSEL, 0, 0));
        EXPECT_EQ(3, table->GetCurrentLanguage());
        EXPECT_EQ(u8"语言：", Text(IDC_LANGUAGE_LABEL, kLanguage));
    });
}

// The packer's lang.ini (UTF-16LE with its mark) holds any language: Korean and Arabic reach
// the list, the frame, every page and the close question exactly, whatever the machine's
// code page (run under code page 1252 too, wizard_tests_cp1252).
TEST_F(PagesTest, AUnicodeLangIniShowsKoreanAndArabicOnTheRealPages)
{
    const std::string title = u8"오르반타 4.00", names[] = {u8"한국어", u8"العربية"};
    std::string ini = "[lang]\r\ncount=2\r\ndefault=1\r\nlang1=" + names[0] + "\r\nlang2=" + names[1] +
                      "\r\n[install]\r\ntitle=" + title + "\r\n";
    for (int language : {1, 2}) {
        ini += "[lang" + std::to_string(language) + "]\r\n";
        for (int id : TextId::All)
            ini += std::to_string(id) + "=" + names[language - 1] + " " + std::to_string(id) + "\r\n";
    }
    UseLangIni(Utf16File(ini));
    LanguageTable* table = LanguageTable::Instance();
    RunFrame([&] {
        HWND list = Item(IDC_LANGUAGE_LIST, kLanguage);
        CListBox items;
        items.Attach(list);
        EXPECT_EQ(names[0], items.GetText(0));
        EXPECT_EQ(names[1], items.GetText(1));
        items.Detach();
        EXPECT_EQ(title, TextOf(Window()));
        for (int language : {1, 2}) {
            SCOPED_TRACE(names[language - 1]);
            auto text = [&](int id) { return names[language - 1] + " " + std::to_string(id); };
            Show(kLanguage);
            ClickListItem(list, language - 1);
            ASSERT_EQ(language, table->GetCurrentLanguage());
            for (int page = WizardFrame::PageCount - 1; page >= kLanguage; --page) {
                Show(page);
                Repaint(Window());
            }
            const std::tuple<int, int, std::string> shown[] = {
                {kLanguage, IDC_LANGUAGE_LABEL, text(10001)},
                {kWelcome, IDC_WELCOME_TEXT,
                 text(10002) + "\r\n\r\n" + text(10003) + "\r\n\r\n\r\n" + text(10004) + "\r\n\r\n" + text(10005)},
                {2, IDC_LICENCE_LABEL, text(10006)},
                {2, IDC_LICENCE_ACCEPT, text(10007)},
                {kDirectory, IDC_DIRECTORY_LABEL, text(10008)},
                {kDirectory, IDC_DIRECTORY_GROUPBOX, text(10009)},
                {kDirectory, IDC_DIRECTORY_BROWSE, text(20005)},
                {4, IDC_GROUP_LABEL, text(10013)},
                {5, IDC_CONFIRM_TEXT, text(10014) + "\r\n\r\n" + text(10015)},
                {kProgress, IDC_PROGRESS_TEXT, text(10016) + "\r\n\r\n" + text(10017)},
                {kProgress, IDC_CURRENT_FILE, text(10024)},
                {kProgress, IDC_TOTAL_LABEL, text(10025)},
                {kFinish, IDC_FINISH_TEXT, text(10018) + "\r\n" + text(10019)},
                {kFinish, IDC_LAUNCH_CHECK, text(10020)},
                {kCancel, IDC_CANCEL_TEXT, text(10023)},
            };
            for (const auto& [page, id, expected] : shown)
                EXPECT_EQ(expected, Text(id, page)) << id;
            EXPECT_EQ(text(20002) + " >", Text(IDC_NEXT));
            EXPECT_EQ("< " + text(20001), Text(IDC_BACK));
            EXPECT_EQ(text(20004), Text(IDC_CANCEL_BUTTON));
            Post(Window(), WM_CLOSE);
            HWND box = WaitForBox();
            ASSERT_TRUE(box);
            EXPECT_EQ(title, TextOf(box));
            EXPECT_EQ(text(10021) + "\r\n" + text(10022), BoxText(box));
            EXPECT_TRUE(Answer(box, IDNO));
        }
    });
}

// A machine whose code page holds no Chinese (1252, the en_US.UTF-8 locale); its tests run
// in wizard_tests_cp1252 only.
class CodePage1252Test : public WizardFixture {
protected:
    void SetUp() override
    {
        if (!std::getenv("ORVANTA_CODE_PAGE_1252"))
            GTEST_SKIP() << "runs under code page 1252 (wizard_tests_cp1252)";
        ASSERT_EQ(1252u, ::GetACP());
        WizardFixture::SetUp();
    }
};

// The built-in texts stay Simplified Chinese there: converted from code page 936, never
// from the machine's, and shown and read back as UTF-16.
TEST_F(CodePage1252Test, TheBuiltInChineseTextsReadBackFromTheRealPages)
{
    RunFrame([&] {
        Repaint(Window());
        EXPECT_EQ(u8"可以选择的语言：", Text(IDC_LANGUAGE_LABEL, kLanguage));
        EXPECT_EQ(u8"下一步 >", Text(IDC_NEXT));
        EXPECT_EQ(u8"放弃", Text(IDC_CANCEL_BUTTON));
        Show(kWelcome);
        Repaint(Window());
        EXPECT_EQ(u8"欢迎您使用 Orvanta 4.00 安装程序，此安装程序将会安装 Orvanta 4.00 在您的计算机上。\r\n\r\n"
                  u8"建议您在安装前先关闭其他正在执行应用软件,在您安装的过程中，可以按放弃键来终止安装，请按下一步来继续安装"
                  u8"\r\n\r\n\r\n警告：这个程序受著作权法及国际公约之保护\r\n\r\n"
                  u8"未经授权而散布或复制程序的全部或部分，将导致严厉的民事及刑事处分，且将被依法提起最大范围的追述",
                  Text(IDC_WELCOME_TEXT, kWelcome));
        EXPECT_EQ(u8"< 上一步", Text(IDC_BACK));
        Show(kDirectory);
        Repaint(Window());
        EXPECT_EQ(u8"浏览", Text(IDC_DIRECTORY_BROWSE, kDirectory));
        EXPECT_EQ(u8"安装的目录", Text(IDC_DIRECTORY_GROUPBOX, kDirectory));
        Post(Window(), WM_CLOSE);
        HWND box = WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_EQ("Orvanta 4.00", TextOf(box));
        EXPECT_EQ(u8"Orvanta 4.00 尚未安装完成.\r\n您确定要放弃安装吗？", BoxText(box));
        EXPECT_TRUE(Answer(box, IDNO));
    });
}

// Without an engine nobody else has started COM on the frame's thread: the browser's new
// dialog style must get it itself (under Wine it once returned with a corrupt register).
TEST_F(PagesTest, FolderBrowserCancelKeepsTheDirectoryAndOkGivesOneTrailingBackslash)
{
    // 昞 (GBK 0x955C, which ends in the byte of a backslash) is a folder name that needs a separator.
    const std::string chinese = u8"C:\\昞";
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\", "C:\\"}, {"C:\\Tools", "C:\\Tools\\"}, {chinese, chinese + "\\"}};
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
