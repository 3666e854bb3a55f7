// Message maps route real window messages to member handlers, derived rows first, and
// reflect a control's colour to its own object first; windows, their objects and the
// application object let go of each other in the right order.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

std::vector<std::string> notes;

// A static that colours itself through the reflected control colour.
class SelfColouringStatic : public CStatic {
public:
    HBRUSH answer = nullptr;

protected:
    HBRUSH CtlColor(CDC* dc, UINT kind)
    {
        notes.push_back("static:" + std::to_string(kind));
        if (answer)
            dc->SetTextColor(RGB(0, 0, 255));
        return answer;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfColouringStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// The frame template; given a command, it posts that command to itself once it is up.
class TestFrame : public CDialog {
public:
    explicit TestFrame(WPARAM command = 0) : CDialog(IDD_WIZARD_FRAME), command_(command) {}
    int nexts = 0;
    HBRUSH baseBrush = nullptr;
    CWnd* colouredControl = nullptr;
    SelfColouringStatic link;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (command_)
            PostMessage(WM_COMMAND, command_);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PUBLISHER_LINK, link); }
    void OnNext() { ++nexts; }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind)
    {
        baseBrush = CDialog::OnCtlColor(dc, control, kind);
        colouredControl = control;
        notes.push_back("frame:" + std::to_string(control->GetDlgCtrlID()));
        return baseBrush;
    }
    DECLARE_MESSAGE_MAP()

private:
    WPARAM command_;
};

BEGIN_MESSAGE_MAP(TestFrame, CDialog)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_NEXT, &TestFrame::OnNext)
END_MESSAGE_MAP()

class DerivedFrame : public TestFrame {
public:
    int derivedNexts = 0;

protected:
    void OnDerivedNext() { ++derivedNexts; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedFrame, TestFrame)
    ON_BN_CLICKED(IDC_NEXT, &DerivedFrame::OnDerivedNext)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME));
        notes.clear();
    }
    void TearDown() override { frame.DestroyWindow(); }
    DerivedFrame frame;
};

TEST_F(MessageMapTest, TheDerivedRowHidesTheBaseRowForTheSameControl)
{
    ::SendMessageA(::GetDlgItem(frame, IDC_NEXT), BM_CLICK, 0, 0);
    EXPECT_EQ(frame.derivedNexts, 1);
    EXPECT_EQ(frame.nexts, 0);
}

// A subclassed static answers its own colour before the parent's handler sees it, with
// the static's object; without an answer of its own the dialog's default brush serves.
TEST_F(MessageMapTest, ControlColourIsReflectedToTheSubclassingObjectFirst)
{
    HBRUSH own = ::CreateSolidBrush(RGB(1, 2, 3));
    frame.link.answer = own;
    ::RedrawWindow(frame.link, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(notes, (std::vector<std::string>{"static:6", "frame:1018"}));   // 6: CTLCOLOR_STATIC
    EXPECT_EQ(frame.baseBrush, own);
    EXPECT_EQ(frame.colouredControl, &frame.link);

    HDC dc = ::GetDC(frame);
    auto colour = [&] {
        LRESULT brush = frame.SendMessage(WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(frame.link.m_hWnd));
        return reinterpret_cast<HBRUSH>(brush);
    };
    EXPECT_EQ(colour(), own) << "the brush reaches whoever asked";
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255));
    frame.link.answer = nullptr;
    EXPECT_TRUE(colour() && colour() == frame.baseBrush);
    ::ReleaseDC(frame, dc);
    ::DeleteObject(own);
}

// An object deleted before its window gives the window its own procedure back; a
// subclassing object lets go of the window when the window goes.
TEST_F(MessageMapTest, SubclassingObjectsAndTheirWindowsLetGoOfEachOther)
{
    HWND back = ::GetDlgItem(frame, IDC_BACK);
    LONG_PTR original = ::GetWindowLongPtrA(back, GWLP_WNDPROC);
    {
        CWnd wrapper;
        ASSERT_TRUE(wrapper.SubclassWindow(back));
        EXPECT_NE(::GetWindowLongPtrA(back, GWLP_WNDPROC), original);
    }
    EXPECT_EQ(::GetWindowLongPtrA(back, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(back), nullptr);

    HWND link = frame.link.m_hWnd;
    frame.DestroyWindow();
    EXPECT_FALSE(::IsWindow(link));
    EXPECT_EQ(frame.link.m_hWnd, nullptr);
}

TEST(ModalDialog, TheApplicationForgetsItsMainWindowWhenTheWindowGoes)
{
    TestFrame frame(IDCANCEL);
    CWinApp app;
    app.m_pMainWnd = &frame;
    EXPECT_EQ(frame.DoModal(), IDCANCEL);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

} // namespace
