// Page flow, button rules, the directory question, closing on every page, Enter and
// Escape, the page band and the captions set at paint.
#include "FrameDriver.h"
#include "TestTexts.h"
#include "WizardFixture.h"
#include "engine/InstallEngine.h"
#include "i18n/LanguageTable.h"
#include "resources/resource.h"

namespace {

class FrameFlowTest : public WizardFixture {
protected:
    // Next from the language page up to `index`, ticking the licence on the way.
    static void GoTo(FrameDriver& d, int index)
    {
        while (d.VisiblePage() < index) {
            if (d.VisiblePage() == WizardFrame::LicenceIndex && !d.Enabled(IDC_NEXT))
                d.ClickOnPage(WizardFrame::LicenceIndex, IDC_LICENCE_ACCEPT);
            int before = d.VisiblePage();
            d.Click(IDC_NEXT);
            if (d.VisiblePage() == before)
                return;
        }
    }
    static std::string Caption(HWND hwnd)
    {
        char buffer[256] = {};
        ::GetWindowTextA(hwnd, buffer, sizeof(buffer));
        return buffer;
    }
};

TEST_F(FrameFlowTest, WalksForwardAndBackWithTheNextAndBackRules)
{
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        EXPECT_EQ(WizardFrame::LanguageIndex, d.VisiblePage());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_TRUE(d.Visible(IDC_NEXT));
        EXPECT_TRUE(d.Enabled(IDC_NEXT));
        EXPECT_TRUE(d.Visible(IDC_CANCEL_BUTTON));
        EXPECT_EQ(kTitle, Caption(d.FrameWindow()));
        EXPECT_EQ(Builtin(20002) + " >", d.Text(IDC_NEXT));
        EXPECT_EQ("< " + Builtin(20001), d.Text(IDC_BACK));
        EXPECT_EQ(Builtin(20004), d.Text(IDC_CANCEL_BUTTON));
        EXPECT_EQ("Test Publisher", d.Text(IDC_PUBLISHER_LINK));

        d.Click(IDC_NEXT);
        EXPECT_EQ(WizardFrame::WelcomeIndex, d.VisiblePage());
        EXPECT_TRUE(d.Visible(IDC_BACK));
        EXPECT_TRUE(d.Enabled(IDC_NEXT));

        d.Click(IDC_NEXT);
        EXPECT_EQ(WizardFrame::LicenceIndex, d.VisiblePage());
        EXPECT_FALSE(d.Enabled(IDC_NEXT)) << "the licence gates Next";
        d.Click(IDC_NEXT);
        d.Command(IDOK);   // Enter
        EXPECT_EQ(WizardFrame::LicenceIndex, d.VisiblePage()) << "neither a click nor Enter passes the gate";

        d.ClickOnPage(WizardFrame::LicenceIndex, IDC_LICENCE_ACCEPT);
        EXPECT_TRUE(d.Enabled(IDC_NEXT));
        d.Command(IDOK);   // Enter presses an enabled Next
        EXPECT_EQ(WizardFrame::DirectoryIndex, d.VisiblePage());
        EXPECT_TRUE(d.Enabled(IDC_NEXT));

        d.Click(IDC_BACK);
        EXPECT_EQ(WizardFrame::LicenceIndex, d.VisiblePage());
        EXPECT_FALSE(d.Enabled(IDC_NEXT)) << "back onto the licence page needs a new acceptance";
        d.ClickOnPage(WizardFrame::LicenceIndex, IDC_LICENCE_ACCEPT);
        d.Click(IDC_NEXT);
        d.Click(IDC_NEXT);
        EXPECT_EQ(WizardFrame::GroupIndex, d.VisiblePage()) << "a new directory asks nothing";
        EXPECT_EQ(InstallDir(), engine->GetInstallDirectory());
        d.Click(IDC_NEXT);
        EXPECT_EQ(WizardFrame::ConfirmIndex, d.VisiblePage());
        EXPECT_EQ(kGroup, engine->GetProgramGroup());

        d.Click(IDC_BACK);
        EXPECT_EQ(WizardFrame::GroupIndex, d.VisiblePage());
        EXPECT_TRUE(d.Enabled(IDC_NEXT));
        d.Click(IDC_BACK);
        d.Click(IDC_BACK);
        d.Click(IDC_BACK);
        d.Click(IDC_BACK);
        EXPECT_EQ(WizardFrame::LanguageIndex, d.VisiblePage());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_TRUE(d.Enabled(IDC_NEXT));
        d.Click(IDC_BACK);
        EXPECT_EQ(WizardFrame::LanguageIndex, d.VisiblePage()) << "a hidden Back does nothing";
        EXPECT_EQ(0, engine->GetState()) << "no worker before the confirmation page";

        d.Click(IDC_CANCEL_BUTTON);
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
        d.Click(IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(0, engine->GetState());
}

TEST_F(FrameFlowTest, ExistingDirectoryAsksOncePerNextAndNoKeepsThePage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        GoTo(d, WizardFrame::DirectoryIndex);
        ASSERT_EQ(WizardFrame::DirectoryIndex, d.VisiblePage());
        std::string existing = scratch.str();
        ::SetWindowTextA(d.PageItem(WizardFrame::DirectoryIndex, IDC_DIRECTORY_EDIT), existing.c_str());

        d.Click(IDC_NEXT);
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(kTitle, FrameDriver::BoxCaption(box));
        EXPECT_EQ(Builtin(10011) + "\r\n\r\n" + Builtin(10012), FrameDriver::BoxText(box));
        EXPECT_TRUE(d.Answer(box, IDNO));
        EXPECT_EQ(WizardFrame::DirectoryIndex, d.VisiblePage());
        EXPECT_EQ(existing, d.PageText(WizardFrame::DirectoryIndex, IDC_DIRECTORY_EDIT));
        EXPECT_TRUE(d.Enabled(IDC_NEXT));
        EXPECT_EQ(nullptr, d.WaitForBox(300)) << "one question per press";

        d.Click(IDC_NEXT);
        box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::GroupIndex, d.VisiblePage());
        EXPECT_EQ(existing, engine->GetInstallDirectory());
    });
}

TEST_F(FrameFlowTest, CloseAndEscapeAskOnEveryPageAndNoKeepsIt)
{
    MakeEngine(LangIni());
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        for (int page = WizardFrame::LanguageIndex; page <= WizardFrame::ConfirmIndex; ++page) {
            GoTo(d, page);
            ASSERT_EQ(page, d.VisiblePage());
            bool nextEnabled = d.Enabled(IDC_NEXT);
            for (bool escape : {false, true}) {
                if (escape)
                    d.Command(IDCANCEL);
                else
                    d.Close();
                HWND box = d.WaitForBox();
                ASSERT_TRUE(box) << "page " << page;
                EXPECT_EQ(kTitle, FrameDriver::BoxCaption(box)) << "page " << page << " escape " << escape;
                EXPECT_EQ(Builtin(10021) + "\r\n" + Builtin(10022), FrameDriver::BoxText(box));
                EXPECT_TRUE(d.Answer(box, IDNO));
                EXPECT_EQ(page, d.VisiblePage());
                EXPECT_EQ(nextEnabled, d.Enabled(IDC_NEXT));
            }
        }
        d.Close();
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
        d.Close();   // the close box leaves the cancel page without a question
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(FrameFlowTest, PagesFillTheBandFrom21To84PercentOfTheClientHeight)
{
    MakeEngine(LangIni());
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        RECT client;
        ::GetClientRect(d.FrameWindow(), &client);
        for (int i = 0; i < WizardFrame::PageCount; ++i) {
            CDialog* page = d.Frame().Page(i);
            ASSERT_TRUE(page && page->m_hWnd) << i;
            RECT rect;
            ::GetWindowRect(page->m_hWnd, &rect);
            ::MapWindowPoints(nullptr, d.FrameWindow(), reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(0, rect.left);
            EXPECT_EQ(client.right, rect.right);
            EXPECT_EQ(static_cast<int>(client.bottom * 0.21), rect.top);
            EXPECT_EQ(static_cast<int>(client.bottom * 0.84), rect.bottom);
            EXPECT_EQ(i == 0, ::IsWindowVisible(page->m_hWnd) != FALSE);
        }
    });
}

TEST_F(FrameFlowTest, ALanguageChangeReachesCaptionsAndFontsAtTheNextPaint)
{
    std::string lang = LangIni();
    lang.replace(lang.find("[lang2]\r\nfont=0"), 15, "[lang2]\r\nfont=1");
    MakeEngine(lang);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        LanguageTable* table = LanguageTable::Instance();
        HWND next = ::GetDlgItem(d.FrameWindow(), IDC_NEXT);
        EXPECT_EQ(table->GetFixedFont()->GetSafeHandle(), reinterpret_cast<HFONT>(::SendMessageA(next, WM_GETFONT, 0, 0)));
        table->SetCurrentLanguage(2);
        ::RedrawWindow(d.FrameWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        d.Sync();
        EXPECT_EQ("Next2 >", d.Text(IDC_NEXT));
        EXPECT_EQ("< Back2", d.Text(IDC_BACK));
        EXPECT_EQ("Cancel2", d.Text(IDC_CANCEL_BUTTON));
        EXPECT_EQ(table->GetLanguageFont()->GetSafeHandle(), reinterpret_cast<HFONT>(::SendMessageA(next, WM_GETFONT, 0, 0)));
        EXPECT_NE(table->GetFixedFont(), table->GetLanguageFont());
        table->SetCurrentLanguage(1);
    });
}

} // namespace
