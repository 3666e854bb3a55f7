#include "FrameDriver.h"

#include <commctrl.h>

#include "framework/CWinApp.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(TestFrame, WizardFrame)
    ON_MESSAGE(TestFrame::kEndMessage, &TestFrame::OnEnd)
    ON_MESSAGE(TestFrame::kSyncMessage, &TestFrame::OnSync)
    ON_MESSAGE(TestFrame::kCallMessage, &TestFrame::OnCall)
END_MESSAGE_MAP()

INT_PTR FrameDriver::Run(const Script& body)
{
    script = body;
    uiThread = ::GetCurrentThreadId();
    ended = false;
    AfxGetApp()->m_pMainWnd = &frame;
    HANDLE thread = ::CreateThread(nullptr, 0, &FrameDriver::ScriptThread, this, 0, nullptr);
    INT_PTR result = frame.DoModal();
    ended = true;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    AfxGetApp()->m_pMainWnd = nullptr;
    return result;
}

DWORD WINAPI FrameDriver::ScriptThread(LPVOID param)
{
    auto* self = static_cast<FrameDriver*>(param);
    self->WaitFor([self] { return self->frame.m_hWnd && ::IsWindowVisible(self->frame.m_hWnd); });
    self->Sync();
    self->script(*self);
    if (!self->ended && self->frame.m_hWnd)
        ::PostMessageA(self->frame.m_hWnd, TestFrame::kEndMessage, 0, 0);
    return 0;
}

HWND FrameDriver::Item(int id, int page)
{
    CDialog* parent = page < 0 ? &frame : frame.Page(page);
    return parent ? ::GetDlgItem(parent->m_hWnd, id) : nullptr;
}

std::string FrameDriver::TextOf(HWND window)
{
    char buffer[4096] = {};
    ::GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

int FrameDriver::VisiblePage()
{
    int found = -1;
    for (int i = 0; i < WizardFrame::PageCount; ++i) {
        CDialog* page = frame.Page(i);
        if (page && page->m_hWnd && ::IsWindowVisible(page->m_hWnd))
            found = found == -1 ? i : -2;
    }
    return found;
}

bool FrameDriver::Sync()
{
    if (ended || !frame.m_hWnd)
        return false;
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A click that ended the frame leaves this message unhandled: stop when the run ends,
    // not at the timeout.
    bool ok = ::PostMessageA(frame.m_hWnd, TestFrame::kSyncMessage, 0, reinterpret_cast<LPARAM>(done)) &&
              WaitFor([&] { return ::WaitForSingleObject(done, 10) == WAIT_OBJECT_0 || ended; }) && !ended;
    ::CloseHandle(done);
    // Paints wait until the queue is empty; what a page does in its paint (the licence box
    // is cleared there) must have happened before the script looks or clicks again.
    if (ok)
        ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ok;
}

void FrameDriver::OnUiThread(const std::function<void()>& call)
{
    ::SendMessageA(frame.m_hWnd, TestFrame::kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

void FrameDriver::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ::PostMessageA(window, message, wParam, lParam);
    Sync();
}

void FrameDriver::ClickListItem(HWND list, int index)
{
    RECT item{};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(list, WM_LBUTTONUP, 0, at);
}

// On the window's own thread, so the paint has happened when this returns.
void FrameDriver::Repaint(HWND window)
{
    OnUiThread([window] {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    Sync();
}

void FrameDriver::GoTo(int page)
{
    while (VisiblePage() < page) {
        if (VisiblePage() == WizardFrame::LicenceIndex && !Enabled(IDC_NEXT))
            Click(IDC_LICENCE_ACCEPT, WizardFrame::LicenceIndex);
        int before = VisiblePage();
        Click(IDC_NEXT);
        if (VisiblePage() == before)
            return;
    }
}

HWND FrameDriver::WaitForBox(DWORD timeoutMs)
{
    // A visible dialog box (question or folder browser) of the frame's thread, other than the frame.
    auto findBox = [](HWND window, LPARAM param) -> BOOL {
        auto* found = reinterpret_cast<HWND*>(param);
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (window == *found || std::string(name) != "#32770" || !::IsWindowVisible(window))
            return TRUE;
        *found = window;
        return FALSE;
    };
    HWND box = nullptr;
    WaitFor(
        [&] {
            box = frame.m_hWnd;
            ::EnumThreadWindows(uiThread, findBox, reinterpret_cast<LPARAM>(&box));
            return box != frame.m_hWnd;
        },
        timeoutMs);
    return box != frame.m_hWnd ? box : nullptr;
}

std::string FrameDriver::BarState(HWND bar)
{
    PBRANGE range{};
    ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return std::to_string(range.iLow) + ".." + std::to_string(range.iHigh) + " at " +
           std::to_string(::SendMessageA(bar, PBM_GETPOS, 0, 0));
}

bool FrameDriver::Answer(HWND box, int id)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    bool gone = WaitFor([box] { return !::IsWindow(box); }, 5000);
    Sync();
    return gone;
}

bool FrameDriver::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}
