// Dialog lifetimes: modal runs and how they end, modeless child pages that delete
// themselves, the application object's start-up and its main window.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

// Runs the frame template modally and posts `first` from its initialisation. A timer,
// which fires only once the queue is empty, then clicks Cancel (1003), which ends the
// run with 1003 unless `first` (or what it led to) ended it already.
class ModalFrame : public CDialog {
public:
    explicit ModalFrame(UINT first, WPARAM wParam = 0) : CDialog(IDD_WIZARD_FRAME), first_(first), wParam_(wParam) {}
    int initialised = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ++initialised;
        if (first_)
            PostMessage(first_, wParam_);
        SetTimer(1, 50);
        return TRUE;
    }
    void OnTimer(UINT_PTR)
    {
        KillTimer(1);
        ::SendMessageA(::GetDlgItem(m_hWnd, IDC_CANCEL_BUTTON), BM_CLICK, 0, 0);
    }
    void OnCancelButton() { EndDialog(IDC_CANCEL_BUTTON); }
    DECLARE_MESSAGE_MAP()

private:
    UINT first_;
    WPARAM wParam_;
};

BEGIN_MESSAGE_MAP(ModalFrame, CDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_CANCEL_BUTTON, &ModalFrame::OnCancelButton)
END_MESSAGE_MAP()

// Takes Enter and Escape over, as the wizard frame does.
class KeyTakingFrame : public ModalFrame {
public:
    using ModalFrame::ModalFrame;
    int enters = 0;
    int escapes = 0;

protected:
    void OnEnter() { ++enters; }
    void OnEscape() { ++escapes; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(KeyTakingFrame, ModalFrame)
    ON_COMMAND(IDOK, &KeyTakingFrame::OnEnter)
    ON_COMMAND(IDCANCEL, &KeyTakingFrame::OnEscape)
END_MESSAGE_MAP()

// Enter and Escape end the run unless a derived class maps them, as the wizard frame does.
TEST(ModalDialog, HowTheRunEnds)
{
    ModalFrame button(0);
    EXPECT_EQ(button.DoModal(), IDC_CANCEL_BUTTON) << "the button handler's result";
    EXPECT_EQ(button.initialised, 1);
    EXPECT_EQ(button.m_hWnd, nullptr);
    ModalFrame close(WM_CLOSE);
    EXPECT_EQ(close.DoModal(), IDCANCEL) << "the dialog manager turns WM_CLOSE into IDCANCEL";
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1) << "a missing template fails without a run";
    for (WPARAM key : {IDOK, IDCANCEL}) {
        ModalFrame plain(WM_COMMAND, key);
        EXPECT_EQ(plain.DoModal(), static_cast<INT_PTR>(key));
        KeyTakingFrame taking(WM_COMMAND, key);
        EXPECT_EQ(taking.DoModal(), IDC_CANCEL_BUTTON);
        EXPECT_EQ(taking.enters + taking.escapes, 1);
        EXPECT_EQ(taking.enters, key == IDOK ? 1 : 0);
    }
}

class SelfDeletingPage : public CDialog {
public:
    explicit SelfDeletingPage(int* deleted) : deleted_(deleted) {}
    ~SelfDeletingPage() override { ++*deleted_; }

protected:
    void PostNcDestroy() override { delete this; }

private:
    int* deleted_;
};

TEST(ModelessDialog, ChildPagesDeleteThemselvesWithTheirParentButNotAfterAFailedCreate)
{
    int deleted = 0;
    SelfDeletingPage* failed = new SelfDeletingPage(&deleted);
    EXPECT_FALSE(failed->Create(4711));
    EXPECT_EQ(deleted, 0);
    delete failed;
    ASSERT_EQ(deleted, 1);

    CDialog frame;
    ASSERT_TRUE(frame.Create(IDD_WIZARD_FRAME));
    for (UINT id : {IDD_WELCOME_PAGE, IDD_CONFIRM_PAGE, IDD_CANCEL_PAGE}) {
        SelfDeletingPage* page = new SelfDeletingPage(&deleted);
        ASSERT_TRUE(page->Create(id, &frame));
        EXPECT_FALSE(page->IsWindowVisible());
        page->ShowWindow(SW_SHOW);
        EXPECT_TRUE(page->IsWindowVisible());
    }
    EXPECT_EQ(deleted, 1);
    frame.DestroyWindow();
    EXPECT_EQ(deleted, 4);
}

class TestApp : public CWinApp {
public:
    explicit TestApp(BOOL proceed) : proceed_(proceed) {}
    int inits = 0;
    int exits = 0;

    BOOL InitInstance() override
    {
        ++inits;
        if (proceed_)
            ::PostQuitMessage(3);
        return proceed_;
    }
    int ExitInstance() override
    {
        ++exits;
        return proceed_ ? CWinApp::ExitInstance() : 7;
    }

private:
    BOOL proceed_;
};

TEST(Application, LoopRunsOnlyAfterAnAcceptedInitialisation)
{
    {
        TestApp refused(FALSE);
        EXPECT_EQ(AfxGetApp(), &refused);
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_USER, 0, 0);
        EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW), 7) << "ExitInstance's code";
        EXPECT_EQ(refused.inits, 1);
        EXPECT_EQ(refused.exits, 1);
        MSG msg;
        EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE)) << "no loop took the queued message";
    }
    TestApp accepted(TRUE);
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW), 3);
    EXPECT_EQ(accepted.exits, 1);
}

TEST(Application, ForgetsItsMainWindowWhenTheWindowGoes)
{
    TestApp app(FALSE);
    ModalFrame frame(0);
    app.m_pMainWnd = &frame;
    frame.DoModal();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

} // namespace
