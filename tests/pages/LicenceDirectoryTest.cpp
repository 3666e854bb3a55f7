// The licence page's gate on Next and its agreement text; the directory page's proposal,
// its folder browser and the trailing-backslash rule of a chosen folder.
#include "pages/PagesFixture.h"

#include <atomic>
#include <thread>

#include "resources/resource.h"
#include "wizard/pages/DirectoryPage.h"
#include "wizard/pages/LicencePage.h"
#include "wizard/pages/WelcomePage.h"

namespace pagetest {
namespace {

bool Ticked(HWND page)
{
    return ::SendDlgItemMessageA(page, IDC_LICENCE_ACCEPT, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClickAccept(HWND page)
{
    ::SendDlgItemMessageA(page, IDC_LICENCE_ACCEPT, BM_CLICK, 0, 0);
    Pump();
}

TEST_F(PagesTest, AgreementIsIndentedBy44SpacesWithItsHashesAsLineBreaks)
{
    UseLangIni("[install]\r\nstates=one#two\r\n");
    PageHost host;
    HWND page = host.Add<LicencePage>()->m_hWnd;
    Repaint(page);
    EXPECT_EQ(std::string(44, ' ') + "one\r\ntwo", ItemText(page, IDC_LICENCE_TEXT));
    EXPECT_EQ(Gbk(u8"请详读本授权申明。您是否接受所有的授权合约?"), ItemText(page, IDC_LICENCE_LABEL));
    EXPECT_EQ(Gbk(u8"是，我接受所有的授权合约"), ItemText(page, IDC_LICENCE_ACCEPT));

    // The edit is not read-only; the next paint puts the agreement back.
    ::SetDlgItemTextA(page, IDC_LICENCE_TEXT, "typed over");
    Repaint(page);
    EXPECT_EQ(std::string(44, ' ') + "one\r\ntwo", ItemText(page, IDC_LICENCE_TEXT));
}

TEST_F(PagesTest, EmptyAgreementLeavesTheSpacesAndTheBoxStillWorks)
{
    PageHost host;
    HWND page = host.Add<LicencePage>()->m_hWnd;
    Repaint(page);
    EXPECT_EQ(std::string(44, ' '), ItemText(page, IDC_LICENCE_TEXT));
    ClickAccept(page);
    EXPECT_TRUE(Ticked(page));
}

TEST_F(PagesTest, AcceptanceGatesNextAndIsClearedWheneverThePageIsShownAgain)
{
    PageHost host;
    HWND welcome = host.Add<WelcomePage>()->m_hWnd;
    HWND licence = host.Add<LicencePage>()->m_hWnd;
    HWND next = host.NextButton();
    // Entering the licence page, the frame disables Next.
    ::EnableWindow(next, FALSE);
    Repaint(licence);
    EXPECT_FALSE(Ticked(licence));

    ClickAccept(licence);
    EXPECT_TRUE(Ticked(licence));
    EXPECT_TRUE(::IsWindowEnabled(next));
    ClickAccept(licence);
    EXPECT_FALSE(Ticked(licence));
    EXPECT_FALSE(::IsWindowEnabled(next));
    ClickAccept(licence);
    EXPECT_TRUE(::IsWindowEnabled(next));

    // Away and back: the frame disables Next again, the page clears the box at its paint.
    host.Show(welcome);
    ::EnableWindow(next, FALSE);
    host.Show(licence);
    Repaint(licence);
    EXPECT_FALSE(Ticked(licence));
    EXPECT_FALSE(::IsWindowEnabled(next));

    // A mere repaint clears the box too.
    ClickAccept(licence);
    EXPECT_TRUE(Ticked(licence));
    Repaint(licence);
    EXPECT_FALSE(Ticked(licence));
}

TEST_F(PagesTest, DirectoryIsProposedAsPathAndNameJoinedPlainly)
{
    {
        PageHost host;
        DirectoryPage* page = host.Add<DirectoryPage>();
        EXPECT_EQ("c:\\Program Files\\Orvanta 4.00", page->GetDirectoryText());
    }
    UseLangIni("[install]\r\ninstallpath=D:\\Apps\r\ninstallname=Tool\r\n");
    PageHost host;
    DirectoryPage* page = host.Add<DirectoryPage>();
    EXPECT_EQ("D:\\AppsTool", page->GetDirectoryText());
    ::SetDlgItemTextA(*page, IDC_DIRECTORY_EDIT, " E:\\typed ");
    Repaint(*page);
    EXPECT_EQ(" E:\\typed ", page->GetDirectoryText()) << "typed text is handed on unchanged";
    EXPECT_EQ(Gbk(u8"安装的目录"), ItemText(*page, IDC_DIRECTORY_GROUPBOX));
    EXPECT_EQ(Gbk(u8"浏览"), ItemText(*page, IDC_DIRECTORY_BROWSE));
}

TEST_F(PagesTest, ChosenFolderGetsOneTrailingBackslash)
{
    EXPECT_EQ("C:\\", DirectoryPage::WithTrailingBackslash("C:\\"));
    EXPECT_EQ("C:\\Tools\\", DirectoryPage::WithTrailingBackslash("C:\\Tools"));
    EXPECT_EQ("D:\\Apps\\", DirectoryPage::WithTrailingBackslash("D:\\Apps"));
    EXPECT_EQ("", DirectoryPage::WithTrailingBackslash(""));
    // GBK 0x955C ends in the byte of a backslash; the folder name still needs a separator.
    std::string dbcs = "C:\\" + Gbk(u8"昞");
    ASSERT_EQ('\\', dbcs.back());
    EXPECT_EQ(dbcs + "\\", DirectoryPage::WithTrailingBackslash(dbcs));
}

// Presses a button of the folder browser that the page opens, from a helper thread.
class BrowserDriver {
public:
    BrowserDriver(HWND owner, int button) : owner_(owner), button_(button), thread_([this] { Run(); }) {}
    ~BrowserDriver() { thread_.join(); }
    bool Pressed() const { return pressed_; }

private:
    void Run()
    {
        for (int attempt = 0; attempt < 200 && !pressed_; ++attempt) {
            ::Sleep(50);
            ::EnumWindows(&BrowserDriver::Visit, reinterpret_cast<LPARAM>(this));
        }
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        auto* driver = reinterpret_cast<BrowserDriver*>(self);
        if (::GetWindow(window, GW_OWNER) != ::GetAncestor(driver->owner_, GA_ROOT) &&
            ::GetWindow(window, GW_OWNER) != driver->owner_)
            return TRUE;
        HWND button = ::GetDlgItem(window, driver->button_);
        if (!button || !::IsWindowVisible(window))
            return TRUE;
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(driver->button_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        driver->pressed_ = true;
        return FALSE;
    }

    HWND owner_;
    int button_;
    std::atomic<bool> pressed_{false};
    std::thread thread_;
};

TEST_F(PagesTest, CancelledBrowseLeavesTheDirectoryUnchanged)
{
    PageHost host;
    DirectoryPage* page = host.Add<DirectoryPage>();
    std::string before = page->GetDirectoryText();
    {
        BrowserDriver driver(page->m_hWnd, IDCANCEL);
        ::SendDlgItemMessageA(*page, IDC_DIRECTORY_BROWSE, BM_CLICK, 0, 0);
        Pump();
        ASSERT_TRUE(driver.Pressed()) << "no folder browser appeared";
    }
    EXPECT_EQ(before, page->GetDirectoryText());
}

TEST_F(PagesTest, AcceptedBrowseGivesAFolderWithATrailingBackslash)
{
    PageHost host;
    DirectoryPage* page = host.Add<DirectoryPage>();
    std::string chosen;
    {
        BrowserDriver driver(page->m_hWnd, IDOK);
        chosen = page->BrowseForFolder();
        ASSERT_TRUE(driver.Pressed()) << "no folder browser appeared";
    }
    if (chosen.empty())
        GTEST_SKIP() << "this system's browser chose no file-system folder";
    EXPECT_EQ('\\', chosen.back());
    EXPECT_EQ(DirectoryPage::WithTrailingBackslash(chosen), chosen);
}

} // namespace
} // namespace pagetest
