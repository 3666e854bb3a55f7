// The dialog templates as the dialog manager builds them from this executable: every
// control the wizard looks up exists with its class and the styles its page relies on,
// every dialog has its size, and the Chinese captions of the UTF-8 resource script
// arrive as the same text in UTF-16 and in code page 936. The banner is no resource.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "resources/resource.h"

namespace {

struct Control {
    int id;
    const char* className;
    const wchar_t* text;   // nullptr: the control shows no caption of its own
    DWORD style = 0;       // style bits the page relies on
    DWORD lacks = 0;       // style bits that would break it
    DWORD exStyle = 0;
};

// Sizes in dialog units: pages fill the frame's band between banner and buttons, and the
// frame is laid out for its 8-point font.
const struct {
    UINT id;
    int width, height;
    std::vector<Control> controls;
} kTemplates[] = {
    {IDD_WIZARD_FRAME, 319, 220,
     {{1001, "Button", L"下一步 >", WS_TABSTOP}, {1003, "Button", L"取消", WS_TABSTOP}, {1002, "Button", L"< 上一步", WS_TABSTOP},
      {1020, "Static", L"", SS_GRAYRECT | SS_SUNKEN}, {1018, "Static", L"Brenholt"},
      {1023, "Static", nullptr, SS_BITMAP}, {1019, "Static", L"", SS_GRAYRECT | SS_SUNKEN}}},
    // The list's order is the languages' numbering: it must not sort.
    {IDD_LANGUAGE_PAGE, 270, 140, {{1012, "Static", L"选择语言:"}, {1006, "ListBox", nullptr, LBS_NOTIFY, LBS_SORT}}},
    {IDD_WELCOME_PAGE, 366, 196, {{1008, "Static", L"欢迎界面"}}},
    {IDD_LICENCE_PAGE, 316, 162,
     {{1011, "Static", L"请认真阅读该协议，是否接受该协议?"}, {1009, "Edit", nullptr, ES_MULTILINE | WS_VSCROLL},
      {1010, "Button", L"我已经阅读并接受该协议", BS_AUTOCHECKBOX}}},
    {IDD_DIRECTORY_PAGE, 321, 164,
     {{1013, "Static", L"选择安装目录"}, {1014, "Button", L"安装目录", BS_GROUPBOX, 0, WS_EX_TRANSPARENT},
      {1015, "Edit", nullptr, WS_TABSTOP}, {1016, "Button", L"选择", WS_TABSTOP}}},
    {IDD_GROUP_PAGE, 271, 138,
     {{1017, "Static", L"选择程序组："}, {1018, "ListBox", nullptr, LBS_SORT | LBS_NOTIFY}, {1019, "Edit", nullptr, ES_AUTOHSCROLL}}},
    {IDD_CONFIRM_PAGE, 317, 158, {{1020, "Static", L"确认"}}},
    // A long path is shortened in its middle, so the file's own name stays visible.
    {IDD_PROGRESS_PAGE, 317, 158,
     {{1021, "msctls_progress32", nullptr}, {1013, "Static", L"安装中"},
      {1012, "Static", L"拷贝：C:\\Program Files\\Orvanta 4.00", SS_PATHELLIPSIS},
      {1022, "msctls_progress32", nullptr}, {1015, "Static", L"全部档案"}}},
    {IDD_FINISH_PAGE, 317, 158, {{1017, "Static", L"安装完成"}, {1016, "Button", L"启动程序", BS_AUTOCHECKBOX}}},
    {IDD_CANCEL_PAGE, 324, 160, {{1022, "Static", L"取消确认"}}},
};

// A page that deletes itself once its window is gone, as the wizard's pages do.
class SelfDeletingPage : public CDialog {
public:
    static inline int deleted = 0;
    ~SelfDeletingPage() override { ++deleted; }

protected:
    void PostNcDestroy() override { delete this; }
};

// The pages live as children of the frame and go with it.
TEST(Templates, EveryTemplateBuildsItsControlsWithTheirCaptions)
{
    ASSERT_EQ(::GetACP(), 936u);
    CDialog frame;
    ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME));
    EXPECT_EQ(frame.GetWindowText(), "install");
    for (const auto& want : kTemplates) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        CDialog* page = want.id == IDD_WIZARD_FRAME ? &frame : new SelfDeletingPage;
        if (page != &frame) {
            ASSERT_TRUE(page->Create(want.id, &frame));
            EXPECT_TRUE(page->GetStyle() & WS_CHILD);
            EXPECT_FALSE(page->IsWindowVisible()) << "pages start hidden";
        }
        HWND dialog = page->m_hWnd;
        RECT size = {0, 0, want.width, want.height}, client = {};
        ::MapDialogRect(dialog, &size);
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        for (const Control& control : want.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            HWND hwnd = ::GetDlgItem(dialog, control.id);
            ASSERT_NE(hwnd, nullptr);
            char className[64] = {};
            ::GetClassNameA(hwnd, className, sizeof className);
            EXPECT_EQ(::lstrcmpiA(className, control.className), 0) << className;
            DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(hwnd, GWL_STYLE));
            EXPECT_EQ(style & control.style, control.style) << std::hex << style;
            EXPECT_EQ(style & control.lacks, 0u) << std::hex << style;
            EXPECT_EQ(::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & control.exStyle, static_cast<LONG_PTR>(control.exStyle));
            wchar_t wide[512] = {};
            ::GetWindowTextW(hwnd, wide, 512);
            EXPECT_TRUE(!control.text || std::wstring(wide) == control.text);
        }
    }
    // The same captions in code page 936: the GBK bytes of "下一步 >".
    EXPECT_EQ(frame.GetDlgItemText(IDC_NEXT), "\xcf\xc2\xd2\xbb\xb2\xbd >");
    EXPECT_EQ(SelfDeletingPage::deleted, 0);
    frame.DestroyWindow();
    EXPECT_EQ(SelfDeletingPage::deleted, 9);
    SelfDeletingPage* failed = new SelfDeletingPage;
    EXPECT_FALSE(failed->Create(4711));
    EXPECT_EQ(SelfDeletingPage::deleted, 9) << "a page that failed to be created is not deleted";
    delete failed;
    HMODULE module = ::GetModuleHandleA(nullptr);
    EXPECT_EQ(::FindResourceA(module, MAKEINTRESOURCEA(IDB_BANNER), MAKEINTRESOURCEA(2)), nullptr);   // RT_BITMAP
    for (int size : {16, 32}) {
        HANDLE icon = ::LoadImageA(module, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        ::DestroyIcon(static_cast<HICON>(icon));
    }
}

} // namespace
