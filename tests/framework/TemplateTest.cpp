// The dialog templates as stored in the executable and as the dialog manager builds them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "framework/CDialog.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
    DWORD id;
    const wchar_t* className;
    DWORD style;   // without WS_CHILD | WS_VISIBLE, which every control has
    DWORD exStyle;
    const wchar_t* text;
    short x, y, cx, cy;
};

struct ExpectedTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    const wchar_t* caption;
    short cx, cy;
    std::vector<ExpectedControl> controls;
};

const DWORD kPageStyle = WS_CHILD | DS_SETFONT;

const std::vector<ExpectedTemplate>& Templates()
{
    static const std::vector<ExpectedTemplate> templates = {
        {IDD_WIZARD_FRAME, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT, WS_EX_APPWINDOW, L"install", 319, 220,
         {{1001, L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0, L"下一步 >", 206, 201, 49, 13},
          {1003, L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0, L"取消", 262, 201, 49, 13},
          {1002, L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0, L"< 上一步", 155, 201, 49, 13},
          {1020, L"Static", SS_GRAYRECT | SS_SUNKEN, 0, L"", 0, 192, 319, 1},
          {1018, L"Static", SS_LEFT | WS_GROUP, 0, L"Brenholt", 9, 187, 109, 8},
          {1023, L"Static", SS_BITMAP, 0, L"#129", 0, 0, 15, 15},
          {1019, L"Static", SS_GRAYRECT | SS_SUNKEN, 0, L"", 0, 38, 319, 1}}},
        {IDD_LANGUAGE_PAGE, kPageStyle, 0, L"", 270, 140,
         {{1012, L"Static", SS_LEFT | WS_GROUP, 0, L"选择语言:", 12, 5, 196, 11},
          {1006, L"ListBox", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 59, 18, 195, 115}}},
        {IDD_WELCOME_PAGE, kPageStyle, 0, L"", 366, 196,
         {{1008, L"Static", SS_LEFT | WS_GROUP, 0, L"欢迎界面", 8, 4, 299, 124}}},
        {IDD_LICENCE_PAGE, kPageStyle, 0, L"", 316, 162,
         {{1011, L"Static", SS_LEFT | WS_GROUP, 0, L"请认真阅读该协议，是否接受该协议?", 10, 0, 261, 18},
          {1009, L"Edit", ES_MULTILINE | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 7, 18, 306, 102},
          {1010, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, L"我已经阅读并接受该协议", 7, 129, 260, 10}}},
        {IDD_DIRECTORY_PAGE, kPageStyle, 0, L"", 321, 164,
         {{1013, L"Static", SS_LEFT | WS_GROUP, 0, L"选择安装目录", 14, 25, 290, 25},
          {1014, L"Button", BS_GROUPBOX | BS_LEFT, WS_EX_TRANSPARENT, L"安装目录", 15, 61, 286, 32},
          {1015, L"Edit", WS_BORDER | WS_TABSTOP, 0, L"", 21, 72, 228, 14},
          {1016, L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0, L"选择", 249, 72, 43, 14}}},
        {IDD_GROUP_PAGE, kPageStyle, 0, L"", 271, 138,
         {{1017, L"Static", SS_LEFT | WS_GROUP, 0, L"选择程序组：", 10, 1, 222, 12},
          {1018, L"ListBox", LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 58, 33, 197, 104},
          {1019, L"Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 58, 16, 197, 14}}},
        {IDD_CONFIRM_PAGE, kPageStyle, 0, L"", 317, 158,
         {{1020, L"Static", SS_LEFT | WS_GROUP, 0, L"确认", 15, 42, 288, 67}}},
        {IDD_PROGRESS_PAGE, kPageStyle, 0, L"", 317, 158,
         {{1021, L"msctls_progress32", WS_BORDER, 0, L"Progress1", 31, 81, 273, 14},
          {1013, L"Static", SS_LEFT | WS_GROUP, 0, L"安装中", 11, 14, 260, 42},
          {1012, L"Static", SS_LEFT | WS_GROUP | SS_PATHELLIPSIS, 0, L"拷贝：C:\\Program Files\\Orvanta 4.00", 16, 68, 293, 10},
          {1022, L"msctls_progress32", WS_BORDER, 0, L"Progress1", 31, 112, 271, 14},
          {1015, L"Static", SS_LEFT | WS_GROUP, 0, L"全部档案", 16, 99, 71, 8}}},
        {IDD_FINISH_PAGE, kPageStyle, 0, L"", 317, 158,
         {{1017, L"Static", SS_LEFT | WS_GROUP, 0, L"安装完成", 18, 37, 241, 26},
          {1016, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, L"启动程序", 18, 74, 223, 10}}},
        {IDD_CANCEL_PAGE, kPageStyle, 0, L"", 324, 160,
         {{1022, L"Static", SS_LEFT | WS_GROUP, 0, L"取消确认", 10, 49, 303, 28}}},
    };
    return templates;
}

std::string ToAnsi(const std::wstring& text)
{
    int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return out;
}

std::wstring WindowTextW(HWND hwnd)
{
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

std::string WindowTextA(HWND hwnd)
{
    char buffer[512] = {};
    ::GetWindowTextA(hwnd, buffer, 512);
    return buffer;
}

RECT DialogUnits(HWND dialog, short x, short y, short cx, short cy)
{
    RECT r{x, y, x + cx, y + cy};
    ::MapDialogRect(dialog, &r);
    return r;
}

// The control's rectangle in its dialog's client coordinates.
RECT PlacedRect(HWND dialog, HWND control)
{
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME)); }
    void TearDown() override { frame.DestroyWindow(); }
    CDialog frame;
};

TEST(TemplateResources, StoredTemplatesMatchFieldByField)
{
    for (const ExpectedTemplate& want : Templates()) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        DialogTemplate got;
        ASSERT_TRUE(ReadDialogTemplate(want.id, got));
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.x, 0);
        EXPECT_EQ(got.y, 0);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_TRUE(got.title == want.caption);
        EXPECT_EQ(got.pointSize, 8);
        EXPECT_TRUE(got.typeface == L"MS Sans Serif");
        ASSERT_EQ(got.items.size(), want.controls.size());
        for (size_t i = 0; i < got.items.size(); ++i) {
            const DialogTemplateItem& item = got.items[i];
            const ExpectedControl& control = want.controls[i];
            SCOPED_TRACE("control " + std::to_string(control.id));
            EXPECT_EQ(item.id, control.id);
            // Class names are case-insensitive; the resource compiler stores them upper-case.
            EXPECT_EQ(::lstrcmpiW(item.className.c_str(), control.className), 0);
            EXPECT_EQ(item.style, control.style | kChild);
            EXPECT_EQ(item.exStyle, control.exStyle);
            EXPECT_TRUE(item.title == control.text);
            EXPECT_EQ(item.x, control.x);
            EXPECT_EQ(item.y, control.y);
            EXPECT_EQ(item.cx, control.cx);
            EXPECT_EQ(item.cy, control.cy);
        }
    }
}

TEST(TemplateResources, IconButNoBannerBitmap)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    EXPECT_NE(::FindResourceA(module, MAKEINTRESOURCEA(IDI_APP_ICON), MAKEINTRESOURCEA(14)), nullptr);   // RT_GROUP_ICON
    EXPECT_EQ(::FindResourceA(module, MAKEINTRESOURCEA(IDB_BANNER), MAKEINTRESOURCEA(2)), nullptr);      // RT_BITMAP
    HICON big = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, 32, 32, 0));
    HICON small = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_NE(small, nullptr);
    ::DestroyIcon(big);
    ::DestroyIcon(small);
}

TEST_F(TemplateTest, FrameWindowHasTheTemplatesStylesAndCaption)
{
    DWORD style = frame.GetStyle();
    EXPECT_EQ(style & (WS_POPUP | WS_CHILD), static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_VISIBLE), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
    EXPECT_TRUE(frame.GetExStyle() & WS_EX_APPWINDOW);
    EXPECT_EQ(frame.GetWindowText(), "install");
}

TEST_F(TemplateTest, ChineseTextsReadAsCodePage936AndAsUtf16)
{
    ASSERT_EQ(::GetACP(), 936u);
    // Independent of the table: the GBK bytes of two frame captions.
    EXPECT_EQ(frame.GetDlgItemText(1001), "\xcf\xc2\xd2\xbb\xb2\xbd >");
    EXPECT_EQ(frame.GetDlgItemText(1003), "\xc8\xa1\xcf\xfb");
    CDialog page;
    ASSERT_TRUE(page.Create(IDD_LANGUAGE_PAGE, &frame));
    EXPECT_EQ(page.GetDlgItemText(1012), "\xd1\xa1\xd4\xf1\xd3\xef\xd1\xd4:");
    EXPECT_TRUE(WindowTextW(::GetDlgItem(page, 1012)) == L"\x9009\x62e9\x8bed\x8a00:");
}

TEST_F(TemplateTest, EveryTemplateBuildsItsControlsInPlace)
{
    for (const ExpectedTemplate& want : Templates()) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        CDialog page;
        CDialog* dialog = &frame;
        if (want.id != IDD_WIZARD_FRAME) {
            ASSERT_TRUE(page.Create(want.id, &frame));
            dialog = &page;
            EXPECT_EQ(::GetParent(page), frame.m_hWnd);
            EXPECT_TRUE(page.GetStyle() & WS_CHILD);
            EXPECT_FALSE(page.IsWindowVisible()) << "pages start hidden";
        }
        RECT client;
        dialog->GetClientRect(&client);
        RECT size = DialogUnits(*dialog, 0, 0, want.cx, want.cy);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        for (const ExpectedControl& control : want.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            HWND hwnd = ::GetDlgItem(*dialog, static_cast<int>(control.id));
            ASSERT_NE(hwnd, nullptr);
            char className[64] = {};
            ::GetClassNameA(hwnd, className, sizeof(className));
            EXPECT_EQ(::lstrcmpiW(std::wstring(className, className + strlen(className)).c_str(), control.className), 0)
                << className;
            DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(hwnd, GWL_STYLE));
            // The dialog manager trades a control's WS_BORDER for a 3-D edge, and an empty
            // list box drops WS_VSCROLL while it has nothing to scroll; the stored template
            // keeps both (checked above).
            DWORD wantStyle = (control.style | kChild) & ~static_cast<DWORD>(WS_BORDER | WS_VSCROLL);
            EXPECT_EQ(style & wantStyle, wantStyle);
            bool picture = (control.style & 0x1F) == SS_BITMAP && std::wstring(control.className) == L"Static";
            bool textless = std::wstring(control.className) == L"ListBox" || std::wstring(control.className) == L"Edit";
            if (!picture && !textless) {
                EXPECT_TRUE(WindowTextW(hwnd) == control.text);
                EXPECT_EQ(WindowTextA(hwnd), ToAnsi(control.text));
            }
            // The dialog manager converts origin and size separately, as here.
            RECT origin = DialogUnits(*dialog, control.x, control.y, 0, 0);
            RECT size = DialogUnits(*dialog, 0, 0, control.cx, control.cy);
            RECT placed = PlacedRect(*dialog, hwnd);
            EXPECT_EQ(placed.left, origin.left);
            EXPECT_EQ(placed.top, origin.top);
            if (!picture) {   // a picture static takes its picture's size
                EXPECT_EQ(placed.right - placed.left, size.right);
                EXPECT_EQ(placed.bottom - placed.top, size.bottom);
            }
        }
        if (dialog == &page)
            page.DestroyWindow();
    }
}

} // namespace
