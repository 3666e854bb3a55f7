// The licence page's agreement text and box; the directory page's proposal,
// its folder browser and the trailing-backslash rule of a chosen folder.
#include "pages/PagesFixture.h"

#include <atomic>
#include <thread>

#include "resources/resource.h"
#include "wizard/pages/DirectoryPage.h"
#include "wizard/pages/LicencePage.h"

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

    // The edit is not read-only; the next paint puts the agreement back.
    ::SetDlgItemTextA(page, IDC_LICENCE_TEXT, "typed over");
    Repaint(page);
    EXPECT_EQ(std::string(44, ' ') + "one\r\ntwo", ItemText(page, IDC_LICENCE_TEXT));
}

// The gate on Next across visits is walked in the real frame (WizardWalkTest).
TEST_F(PagesTest, EmptyAgreementLeavesTheSpacesAndAnyPaintClearsTheBox)
{
    PageHost host;
    HWND page = host.Add<LicencePage>()->m_hWnd;
    Repaint(page);
    EXPECT_EQ(std::string(44, ' '), ItemText(page, IDC_LICENCE_TEXT));
    ClickAccept(page);
    EXPECT_TRUE(Ticked(page));
    Repaint(page);
    EXPECT_FALSE(Ticked(page));
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
}

TEST_F(PagesTest, ChosenFolderGetsOneTrailingBackslash)
{
    // GBK 0x955C ends in the byte of a backslash; the folder name still needs a separator.
    const std::string dbcs = "C:\\" + Gbk(u8"昞");
    ASSERT_EQ('\\', dbcs.back());
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\", "C:\\"}, {"C:\\Tools", "C:\\Tools\\"}, {"", ""}, {dbcs, dbcs + "\\"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, DirectoryPage::WithTrailingBackslash(c.first)) << c.first;
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
