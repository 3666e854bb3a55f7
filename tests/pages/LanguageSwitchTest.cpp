// The language page: its list, the default's highlight by prefix search, and a choice
// that reaches every page at its next paint, in texts and in fonts.
#include "pages/PagesFixture.h"

#include "resources/resource.h"
#include "wizard/pages/CancelPage.h"
#include "wizard/pages/ConfirmPage.h"
#include "wizard/pages/DirectoryPage.h"
#include "wizard/pages/FinishPage.h"
#include "wizard/pages/GroupPage.h"
#include "wizard/pages/LanguagePage.h"
#include "wizard/pages/LicencePage.h"
#include "wizard/pages/ProgressPage.h"
#include "wizard/pages/WelcomePage.h"

namespace pagetest {
namespace {

HWND List(CWnd* page)
{
    return ::GetDlgItem(page->m_hWnd, IDC_LANGUAGE_LIST);
}

int Selected(CWnd* page)
{
    return static_cast<int>(::SendMessageA(List(page), LB_GETCURSEL, 0, 0));
}

// The font a control-colour request of the page selects for that control.
HFONT FontForControl(HWND page, int id, UINT message)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ before = ::GetCurrentObject(dc, OBJ_FONT);
    ::SendMessageA(page, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
    HFONT chosen = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    return chosen;
}

bool PaintIsSettled(HWND page)
{
    return !::GetUpdateRect(page, nullptr, FALSE);
}

TEST_F(PagesTest, ListHoldsTheNamesInFileOrderAndHighlightsTheDefaultWithoutSwitching)
{
    UseLangIni("[lang]\r\ncount=3\r\ndefault=2\r\nlang1=Zulu\r\nlang2=Alpha\r\n");
    PageHost host;
    LanguagePage* page = host.Add<LanguagePage>();
    ASSERT_NE(nullptr, page);
    HWND list = List(page);
    ASSERT_EQ(3, ::SendMessageA(list, LB_GETCOUNT, 0, 0));
    char name[64] = {};
    ::SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ("Zulu", name);
    ::SendMessageA(list, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ("", name) << "a counted language without a name is an empty entry";
    EXPECT_EQ(1, Selected(page));
    EXPECT_EQ(1, table->GetCurrentLanguage()) << "the highlight alone changes no language";
}

// The default's name is searched as a prefix from after item 0, wrapping around; a default
// outside the list highlights nothing. The highlight alone never switches the language.
TEST_F(PagesTest, DefaultHighlightByPrefixSearch)
{
    struct Case {
        const char* names;
        const char* fallback;
        int selected;
    };
    const Case cases[] = {
        {"lang1=Deutsch\r\nlang2=Deutsch (Schweiz)\r\n", "1", 1},  // the longer name comes first
        {"lang1=English\r\nlang2=Deutsch\r\n", "1", 0},
        {"lang1=A\r\nlang2=B\r\n", "0", LB_ERR},
        {"lang1=A\r\nlang2=B\r\n", "3", LB_ERR},
        {"lang1=A\r\nlang2=B\r\n", "-1", LB_ERR},
    };
    {
        PageHost host;
        LanguagePage* page = host.Add<LanguagePage>();
        EXPECT_EQ(0, ::SendMessageA(List(page), LB_GETCOUNT, 0, 0));
        EXPECT_EQ(LB_ERR, Selected(page));
    }
    for (const Case& c : cases) {
        UseLangIni(std::string("[lang]\r\ncount=2\r\ndefault=") + c.fallback + "\r\n" + c.names);
        PageHost host;
        EXPECT_EQ(c.selected, Selected(host.Add<LanguagePage>())) << c.names << " default " << c.fallback;
        EXPECT_EQ(1, table->GetCurrentLanguage());
    }
}

TEST_F(PagesTest, ChoosingALanguageReachesEveryPageAtItsNextPaint)
{
    UseLangIni("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Chinese\r\nlang2=English\r\n[lang1]\r\nfont=1\r\n" +
               TaggedLanguage("lang2", 0));
    PageHost host;
    LanguagePage* language = host.Add<LanguagePage>();
    WelcomePage* welcome = host.Add<WelcomePage>();
    LicencePage* licence = host.Add<LicencePage>();
    DirectoryPage* directory = host.Add<DirectoryPage>();
    GroupPage* group = host.Add<GroupPage>();
    ConfirmPage* confirm = host.Add<ConfirmPage>();
    ProgressPage* progress = host.Add<ProgressPage>();
    FinishPage* finish = host.Add<FinishPage>();
    CancelPage* cancel = host.Add<CancelPage>();
    CWnd* all[] = {language, welcome, licence, directory, group, confirm, progress, finish, cancel};
    for (CWnd* page : all)
        ASSERT_NE(nullptr, page);

    host.Show(language->m_hWnd);
    Repaint(language->m_hWnd);
    EXPECT_EQ(Gbk(u8"可以选择的语言："), ItemText(*language, IDC_LANGUAGE_LABEL));
    HFONT chineseFont = table->GetLanguageFont()->GetSafeHandle();

    ClickListItem(List(language), 1);
    EXPECT_EQ(1, Selected(language));
    EXPECT_EQ(2, table->GetCurrentLanguage());
    EXPECT_EQ(Gbk(u8"可以选择的语言："), ItemText(*language, IDC_LANGUAGE_LABEL)) << "nothing repaints on the choice";

    for (CWnd* page : all) {
        host.Show(page->m_hWnd);
        Repaint(page->m_hWnd);
        EXPECT_TRUE(PaintIsSettled(page->m_hWnd)) << "a page's paint must not invalidate the page again";
    }
    struct Text {
        CWnd* page;
        int id;
        const char* expected;
    };
    const Text texts[] = {
        {language, IDC_LANGUAGE_LABEL, "E10001"},
        {welcome, IDC_WELCOME_TEXT, "E10002\r\n\r\nE10003\r\n\r\n\r\nE10004\r\n\r\nE10005"},
        {licence, IDC_LICENCE_LABEL, "E10006"},
        {licence, IDC_LICENCE_ACCEPT, "E10007"},
        {directory, IDC_DIRECTORY_LABEL, "E10008"},
        {directory, IDC_DIRECTORY_GROUPBOX, "E10009"},
        {directory, IDC_DIRECTORY_BROWSE, "E20005"},
        {group, IDC_GROUP_LABEL, "E10013"},
        {confirm, IDC_CONFIRM_TEXT, "E10014\r\n\r\nE10015"},
        {progress, IDC_PROGRESS_TEXT, "E10016\r\n\r\nE10017"},
        {progress, IDC_CURRENT_FILE, "E10024"},
        {progress, IDC_TOTAL_LABEL, "E10025"},
        {finish, IDC_FINISH_TEXT, "E10018\r\nE10019"},
        {finish, IDC_LAUNCH_CHECK, "E10020"},
        {cancel, IDC_CANCEL_TEXT, "E10023"},
    };
    for (const Text& t : texts)
        EXPECT_EQ(t.expected, ItemText(*t.page, t.id)) << t.id;

    // The buttons and boxes whose font the paint sets follow the language's font too.
    HFONT englishFont = table->GetLanguageFont()->GetSafeHandle();
    ASSERT_NE(chineseFont, englishFont);
    auto fontOf = [](CWnd* page, int id) {
        return reinterpret_cast<HFONT>(::SendDlgItemMessageA(*page, id, WM_GETFONT, 0, 0));
    };
    EXPECT_EQ(englishFont, fontOf(licence, IDC_LICENCE_ACCEPT));
    EXPECT_EQ(englishFont, fontOf(directory, IDC_DIRECTORY_BROWSE));
    EXPECT_EQ(englishFont, fontOf(directory, IDC_DIRECTORY_GROUPBOX));
    EXPECT_EQ(englishFont, fontOf(finish, IDC_LAUNCH_CHECK));

    host.Show(language->m_hWnd);
    ClickListItem(List(language), 0);
    EXPECT_EQ(1, table->GetCurrentLanguage());
    host.Show(finish->m_hWnd);
    Repaint(finish->m_hWnd);
    EXPECT_EQ(Gbk(u8"Orvanta 4.00已经安装完成.\r\n请按确定键来离开安装程序"), ItemText(*finish, IDC_FINISH_TEXT));
    EXPECT_EQ(chineseFont, fontOf(finish, IDC_LAUNCH_CHECK));
}

TEST_F(PagesTest, ContentControlsGetTheFixedFontAndEverythingElseTheLanguageFont)
{
    UseLangIni("[lang]\r\ncount=1\r\nlang1=A\r\n[lang1]\r\nfont=1\r\n");
    PageHost host;
    HFONT fixed = table->GetFixedFont()->GetSafeHandle();
    HFONT label = table->GetLanguageFont()->GetSafeHandle();
    ASSERT_NE(fixed, label);

    HWND language = host.Add<LanguagePage>()->m_hWnd;
    HWND licence = host.Add<LicencePage>()->m_hWnd;
    HWND group = host.Add<GroupPage>()->m_hWnd;
    HWND directory = host.Add<DirectoryPage>()->m_hWnd;
    HWND progress = host.Add<ProgressPage>()->m_hWnd;
    struct Control {
        HWND page;
        int id;
        UINT message;
        HFONT font;
    };
    const Control controls[] = {
        {language, IDC_LANGUAGE_LIST, WM_CTLCOLORLISTBOX, fixed},
        {language, IDC_LANGUAGE_LABEL, WM_CTLCOLORSTATIC, label},
        {licence, IDC_LICENCE_TEXT, WM_CTLCOLOREDIT, fixed},
        {licence, IDC_LICENCE_LABEL, WM_CTLCOLORSTATIC, label},
        {licence, IDC_LICENCE_ACCEPT, WM_CTLCOLORBTN, label},
        {group, IDC_GROUP_LIST, WM_CTLCOLORLISTBOX, fixed},
        {group, IDC_GROUP_EDIT, WM_CTLCOLOREDIT, fixed},
        {group, IDC_GROUP_LABEL, WM_CTLCOLORSTATIC, label},
        {directory, IDC_DIRECTORY_EDIT, WM_CTLCOLOREDIT, label},  // not a content control
        {progress, IDC_CURRENT_FILE, WM_CTLCOLORSTATIC, label},
    };
    for (const Control& c : controls)
        EXPECT_EQ(c.font, FontForControl(c.page, c.id, c.message)) << c.id;
}

} // namespace
} // namespace pagetest
