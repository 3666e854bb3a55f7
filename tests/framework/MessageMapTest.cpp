// Message maps route real window messages to member handlers, derived rows first; modal
// runs end as they should; windows, their objects and the application object let go of
// each other in the right order.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

constexpr UINT kNotice = 0x1400;

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

// The frame template. Run modally with a first message, it posts that message; a timer,
// which fires only once the queue is empty, then clicks Cancel (1003), which ends the run
// with 1003 unless the first message (or what it led to) ended it already.
class TestFrame : public CDialog {
public:
    explicit TestFrame(UINT first = 0, WPARAM wParam = 0)
        : CDialog(IDD_WIZARD_FRAME), first_(first), wParam_(wParam)
    {
    }
    int initialised = 0, backs = 0, nexts = 0;
    UINT_PTR lastTimer = 0;
    HBRUSH baseBrush = nullptr;
    CWnd* colouredControl = nullptr;
    SelfColouringStatic link;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ++initialised;
        if (first_) {
            PostMessage(first_, wParam_);
            SetTimer(1, 50);
        }
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PUBLISHER_LINK, link); }
    void OnCancelButton() { EndDialog(IDC_CANCEL_BUTTON); }
    void OnBack() { ++backs; }
    void OnNext() { ++nexts; }
    void OnTimer(UINT_PTR id)
    {
        lastTimer = id;
        if (first_ && KillTimer(1))
            ::SendMessageA(::GetDlgItem(m_hWnd, IDC_CANCEL_BUTTON), BM_CLICK, 0, 0);
    }
    LRESULT OnNotice(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam * 100 + lParam); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind)
    {
        baseBrush = CDialog::OnCtlColor(dc, control, kind);
        colouredControl = control;
        notes.push_back("frame:" + std::to_string(control->GetDlgCtrlID()));
        return baseBrush;
    }
    DECLARE_MESSAGE_MAP()

private:
    UINT first_;
    WPARAM wParam_;
};

BEGIN_MESSAGE_MAP(TestFrame, CDialog)
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_CANCEL_BUTTON, &TestFrame::OnCancelButton)
    ON_BN_CLICKED(IDC_BACK, &TestFrame::OnBack)
    ON_BN_CLICKED(IDC_NEXT, &TestFrame::OnNext)
    ON_MESSAGE(kNotice, &TestFrame::OnNotice)
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

TEST_F(MessageMapTest, MessagesReachTheirHandlersDerivedRowsFirst)
{
    ::SendMessageA(::GetDlgItem(frame, IDC_BACK), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(frame, IDC_NEXT), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(frame, IDC_NEXT), BM_CLICK, 0, 0);
    EXPECT_EQ(frame.backs, 1);
    EXPECT_EQ(frame.derivedNexts, 2);
    EXPECT_EQ(frame.nexts, 0) << "the derived row hides the base row for the same control";
    EXPECT_EQ(frame.SendMessage(kNotice, 3, 7), 307) << "both parameters and the result";
    frame.SendMessage(WM_TIMER, 5);
    EXPECT_EQ(frame.lastTimer, 5u);
}

// A subclassed static answers its own colour before the parent's handler sees it; a plain
// control reaches the handler as a temporary wrapper, the subclassed one as its object.
TEST_F(MessageMapTest, ControlColourIsReflectedToTheSubclassingObjectFirst)
{
    HBRUSH own = ::CreateSolidBrush(RGB(1, 2, 3));
    frame.link.answer = own;
    ::RedrawWindow(frame.link, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(notes, (std::vector<std::string>{"static:6", "frame:1018"}));   // 6: CTLCOLOR_STATIC
    EXPECT_EQ(frame.baseBrush, own);
    EXPECT_EQ(frame.colouredControl, &frame.link);

    HDC dc = ::GetDC(frame);
    auto colour = [&](HWND control) {
        return reinterpret_cast<HBRUSH>(frame.SendMessage(WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control)));
    };
    EXPECT_EQ(colour(frame.link), own) << "the brush reaches whoever asked";
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255));
    frame.link.answer = nullptr;
    EXPECT_TRUE(colour(frame.link) && colour(frame.link) == frame.baseBrush) << "else the dialog's default brush";
    notes.clear();
    HWND separator = ::GetDlgItem(frame, IDC_BANNER_SEPARATOR);
    colour(separator);
    EXPECT_EQ(notes, std::vector<std::string>{"frame:1019"});
    ::ReleaseDC(frame, dc);
    ::DeleteObject(own);
    EXPECT_EQ(CWnd::FromHandlePermanent(separator), nullptr);
    EXPECT_EQ(frame.GetDlgItem(IDC_PUBLISHER_LINK), &frame.link);
    CWnd* next = frame.GetDlgItem(IDC_NEXT);
    EXPECT_TRUE(next && frame.GetDlgItem(IDC_NEXT) == next);
    EXPECT_EQ(frame.GetDlgItem(4711), nullptr);
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
    ::SetWindowTextA(back, "still answers");
    EXPECT_EQ(frame.GetDlgItemText(IDC_BACK), "still answers");

    HWND link = frame.link.m_hWnd;
    frame.DestroyWindow();
    EXPECT_FALSE(::IsWindow(link));
    EXPECT_EQ(frame.link.m_hWnd, nullptr);
}

// The application forgets its main window when the window goes.
TEST(ModalDialog, HowTheRunEnds)
{
    TestFrame button(WM_USER);   // a message nobody handles
    CWinApp app;
    app.m_pMainWnd = &button;
    EXPECT_EQ(button.DoModal(), IDC_CANCEL_BUTTON) << "the button handler's result";
    EXPECT_EQ(button.initialised, 1);
    EXPECT_EQ(button.m_hWnd, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    TestFrame close(WM_CLOSE);
    EXPECT_EQ(close.DoModal(), IDCANCEL) << "the dialog manager turns WM_CLOSE into IDCANCEL";
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1) << "a missing template fails without a run";
    for (WPARAM key : {IDOK, IDCANCEL}) {   // Enter and Escape
        TestFrame plain(WM_COMMAND, key);
        EXPECT_EQ(plain.DoModal(), static_cast<INT_PTR>(key));
    }
}

// Refuses to start, as a second instance of the setup does.
struct RefusingApp : CWinApp {
    BOOL InitInstance() override { return FALSE; }
    int ExitInstance() override { return 7; }
};

// Both ends return ExitInstance's result: a refused start's own code, the loop's WM_QUIT code.
TEST(Application, LoopRunsOnlyAfterAnAcceptedInitialisation)
{
    {
        RefusingApp refused;
        EXPECT_EQ(AfxGetApp(), &refused);
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_USER, 0, 0);
        EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW), 7);
        MSG msg;
        EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) << "no loop took the queued message";
    }
    CWinApp accepted;
    ::PostQuitMessage(3);
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW), 3);
}

} // namespace
