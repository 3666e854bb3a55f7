// The pages inside the real wizard frame: the licence gate across Back and Next, and a
// language choice reaching the frame's buttons and the pages it shows next.
#include "pages/PagesFixture.h"

#include "resources/resource.h"
#include "wizard/pages/LicencePage.h"

namespace pagetest {
namespace {

class WalkTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        App().engine = nullptr;
    }
    void Start()
    {
        ASSERT_TRUE(frame.Create(WizardFrame::IDD, nullptr));
        App().m_pMainWnd = &frame;
        Pump();
    }
    void TearDown() override
    {
        if (frame.m_hWnd)
            frame.DestroyWindow();
        App().m_pMainWnd = nullptr;
        Pump();
        PagesTest::TearDown();
    }
    void Press(int id)
    {
        ::SendDlgItemMessageA(frame.m_hWnd, id, BM_CLICK, 0, 0);
        Pump();
    }
    HWND Licence() const { return frame.Page(WizardFrame::LicenceIndex)->m_hWnd; }
    bool Ticked() const { return ::SendDlgItemMessageA(Licence(), IDC_LICENCE_ACCEPT, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool NextEnabled() const { return ::IsWindowEnabled(::GetDlgItem(frame.m_hWnd, IDC_NEXT)); }
    void Tick()
    {
        ::SendDlgItemMessageA(Licence(), IDC_LICENCE_ACCEPT, BM_CLICK, 0, 0);
        Pump();
    }

    WizardFrame frame;
};

TEST_F(WalkTest, LicenceMustBeAcceptedAgainOnEveryVisit)
{
    Start();
    Press(IDC_NEXT);
    Press(IDC_NEXT);
    ASSERT_EQ(WizardFrame::LicenceIndex, frame.CurrentIndex());
    EXPECT_FALSE(NextEnabled());
    EXPECT_FALSE(Ticked());
    Press(IDC_NEXT);
    EXPECT_EQ(WizardFrame::LicenceIndex, frame.CurrentIndex()) << "a disabled Next leads nowhere";

    Tick();
    EXPECT_TRUE(NextEnabled());
    Tick();
    EXPECT_FALSE(NextEnabled());
    Tick();
    Press(IDC_NEXT);
    ASSERT_EQ(WizardFrame::DirectoryIndex, frame.CurrentIndex());

    Press(IDC_BACK);
    ASSERT_EQ(WizardFrame::LicenceIndex, frame.CurrentIndex());
    EXPECT_FALSE(Ticked()) << "the page cleared the box when it was shown again";
    EXPECT_FALSE(NextEnabled());

    Press(IDC_BACK);
    EXPECT_TRUE(NextEnabled());
    Press(IDC_NEXT);
    EXPECT_FALSE(Ticked());
    EXPECT_FALSE(NextEnabled());
}

TEST_F(WalkTest, LanguageChoiceReachesTheFrameAndTheNextPage)
{
    UseLangIni("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Chinese\r\nlang2=English\r\n" + TaggedLanguage("lang2", 0));
    Start();
    HWND list = ::GetDlgItem(frame.Page(WizardFrame::LanguageIndex)->m_hWnd, IDC_LANGUAGE_LIST);
    EXPECT_EQ(0, ::SendMessageA(list, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(Gbk(u8"下一步") + " >", ItemText(frame.m_hWnd, IDC_NEXT));

    ClickListItem(list, 1);
    ASSERT_EQ(2, table->GetCurrentLanguage());

    Press(IDC_NEXT);
    HWND welcome = frame.Page(WizardFrame::WelcomeIndex)->m_hWnd;
    EXPECT_EQ("E10002\r\n\r\nE10003\r\n\r\n\r\nE10004\r\n\r\nE10005", ItemText(welcome, IDC_WELCOME_TEXT));
    EXPECT_EQ("E20002 >", ItemText(frame.m_hWnd, IDC_NEXT));
    EXPECT_EQ("< E20001", ItemText(frame.m_hWnd, IDC_BACK));
}

} // namespace
} // namespace pagetest
