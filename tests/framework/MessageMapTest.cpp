// Message maps route real window messages to member handlers, derived rows first.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "resources/resource.h"

namespace {

constexpr UINT kNotice = 0x1400;

std::vector<std::string>* trace = nullptr;

void Note(const std::string& what)
{
    if (trace)
        trace->push_back(what);
}

// A static that colours itself through the reflected control colour.
class SelfColouringStatic : public CStatic {
public:
    HBRUSH answer = nullptr;

protected:
    HBRUSH CtlColor(CDC* dc, UINT kind)
    {
        Note("static:" + std::to_string(kind));
        if (answer)
            dc->SetTextColor(RGB(0, 0, 255));
        return answer;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfColouringStatic, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class RoutingFrame : public CDialog {
public:
    RoutingFrame() : CDialog(IDD_WIZARD_FRAME) {}
    int closes = 0;
    int backs = 0;
    int nexts = 0;
    UINT_PTR lastTimer = 0;
    HBRUSH baseBrush = nullptr;
    CWnd* colouredControl = nullptr;
    SelfColouringStatic link;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PUBLISHER_LINK, link); }
    void OnClose() { ++closes; }
    void OnBack() { ++backs; }
    void OnNext() { ++nexts; }
    void OnTimer(UINT_PTR id) { lastTimer = id; }
    LRESULT OnNotice(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam * 100 + lParam); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind)
    {
        baseBrush = CDialog::OnCtlColor(dc, control, kind);
        colouredControl = control;
        Note("frame:" + std::to_string(control->GetDlgCtrlID()));
        return baseBrush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingFrame, CDialog)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_BACK, &RoutingFrame::OnBack)
    ON_BN_CLICKED(IDC_NEXT, &RoutingFrame::OnNext)
    ON_MESSAGE(kNotice, &RoutingFrame::OnNotice)
END_MESSAGE_MAP()

class DerivedFrame : public RoutingFrame {
public:
    int derivedNexts = 0;

protected:
    void OnDerivedNext() { ++derivedNexts; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedFrame, RoutingFrame)
    ON_BN_CLICKED(IDC_NEXT, &DerivedFrame::OnDerivedNext)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        trace = &notes;
        ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME));
    }
    void TearDown() override
    {
        frame.DestroyWindow();
        trace = nullptr;
    }
    std::vector<std::string> notes;
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
    frame.SendMessage(WM_CLOSE);
    EXPECT_EQ(frame.closes, 1);
    EXPECT_TRUE(::IsWindow(frame)) << "the handler did not ask for the default close";
    frame.SendMessage(WM_TIMER, 5);
    EXPECT_EQ(frame.lastTimer, 5u);
}

TEST_F(MessageMapTest, SubclassedStaticAnswersItsColourBeforeTheParentHandler)
{
    ASSERT_EQ(frame.link.GetDlgCtrlID(), IDC_PUBLISHER_LINK);
    HBRUSH own = ::CreateSolidBrush(RGB(1, 2, 3));
    frame.link.answer = own;
    notes.clear();
    ::RedrawWindow(frame.link, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[0], "static:6");   // CTLCOLOR_STATIC
    EXPECT_EQ(notes[1], "frame:1018");
    EXPECT_EQ(frame.baseBrush, own);
    EXPECT_EQ(frame.colouredControl, &frame.link);

    HDC dc = ::GetDC(frame.link);
    LRESULT sent = frame.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(frame.link.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(sent), own) << "the brush reaches whoever asked";
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 255));
    frame.link.answer = nullptr;
    sent = frame.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(frame.link.m_hWnd));
    EXPECT_NE(sent, 0);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(sent), frame.baseBrush) << "without an answer the dialog's default brush";
    ::ReleaseDC(frame.link, dc);
    ::DeleteObject(own);
}

// Plain controls reach handlers as temporary wrappers; a subclassed one as its object,
// which lets go of the window when the window goes.
TEST_F(MessageMapTest, ControlsAreTheirSubclassingObjectOrATemporaryWrapper)
{
    notes.clear();
    HWND separator = ::GetDlgItem(frame, IDC_BANNER_SEPARATOR);
    HDC dc = ::GetDC(frame);
    frame.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(separator));
    ::ReleaseDC(frame, dc);
    EXPECT_EQ(notes, std::vector<std::string>{"frame:1019"});
    EXPECT_EQ(CWnd::FromHandlePermanent(separator), nullptr);

    EXPECT_EQ(frame.GetDlgItem(IDC_PUBLISHER_LINK), &frame.link);
    CWnd* next = frame.GetDlgItem(IDC_NEXT);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(frame.GetDlgItem(IDC_NEXT), next);
    EXPECT_EQ(frame.GetDlgItem(4711), nullptr);

    HWND link = frame.link.m_hWnd;
    frame.DestroyWindow();
    EXPECT_FALSE(::IsWindow(link));
    EXPECT_EQ(frame.link.m_hWnd, nullptr);
}

TEST_F(MessageMapTest, ObjectDeletedBeforeItsWindowGivesTheWindowItsProcedureBack)
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
}

} // namespace
