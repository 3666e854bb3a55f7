// The dialog templates as the dialog manager builds them from this executable: every
// dialog has its size and the controls their styles the pages rely on, and the Chinese
// captions of the UTF-8 resource script arrive as the same text.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "resources/resource.h"

namespace {

struct Control {
    int id;
    DWORD style;       // style bits the page relies on
    DWORD lacks = 0;   // style bits that would break it
    DWORD exStyle = 0;
};

// Sizes in dialog units: pages fill the frame's band between banner and buttons, and the
// frame is laid out for its 8-point font.
const struct {
    UINT id;
    int width, height;
    std::vector<Control> controls;
} kTemplates[] = {
    {IDD_WIZARD_FRAME, 319, 220, {}},
    // The list's order is the languages' numbering: it must not sort.
    {IDD_LANGUAGE_PAGE, 270, 140, {{1006, LBS_NOTIFY, LBS_SORT}}},
    {IDD_WELCOME_PAGE, 366, 196, {}},
    {IDD_LICENCE_PAGE, 316, 162, {}},
    // The group box over the path field lets the page's background through.
    {IDD_DIRECTORY_PAGE, 321, 164, {{1014, BS_GROUPBOX, 0, WS_EX_TRANSPARENT}}},
    {IDD_GROUP_PAGE, 271, 138, {{1018, LBS_SORT | LBS_NOTIFY}}},
    {IDD_CONFIRM_PAGE, 317, 158, {}},
    // A long path is shortened in its middle, so the file's own name stays visible.
    {IDD_PROGRESS_PAGE, 317, 158, {{1012, SS_PATHELLIPSIS}}},
    {IDD_FINISH_PAGE, 317, 158, {}},
    {IDD_CANCEL_PAGE, 324, 160, {}},
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
TEST(Templates, EveryTemplateHasItsSizeAndTheStylesItsPageReliesOn)
{
    ASSERT_EQ(::GetACP(), 936u);
    CDialog frame;
    ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME));
    for (const auto& want : kTemplates) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        CDialog* page = want.id == IDD_WIZARD_FRAME ? &frame : new SelfDeletingPage;
        if (page != &frame) {
            ASSERT_TRUE(page->Create(want.id, &frame));
        }
        RECT size = {0, 0, want.width, want.height}, client = {};
        ::MapDialogRect(page->m_hWnd, &size);
        ::GetClientRect(page->m_hWnd, &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);
        for (const Control& control : want.controls) {
            HWND hwnd = ::GetDlgItem(page->m_hWnd, control.id);
            DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(hwnd, GWL_STYLE));
            EXPECT_EQ(style & control.style, control.style) << control.id;
            EXPECT_EQ(style & control.lacks, 0u) << control.id;
            EXPECT_EQ(::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & control.exStyle, LONG_PTR(control.exStyle));
        }
    }
    // Read as UTF-16 and handed out as UTF-8: the bytes of "下一步 >".
    EXPECT_EQ(frame.GetDlgItemText(IDC_NEXT), "\xE4\xB8\x8B\xE4\xB8\x80\xE6\xAD\xA5 >");
    EXPECT_EQ(SelfDeletingPage::deleted, 0);
    frame.DestroyWindow();
    EXPECT_EQ(SelfDeletingPage::deleted, 9);
    SelfDeletingPage* failed = new SelfDeletingPage;
    EXPECT_FALSE(failed->Create(4711));
    EXPECT_EQ(SelfDeletingPage::deleted, 9) << "a page that failed to be created is not deleted";
    delete failed;
}

} // namespace
