#include "FrameDriver.h"

#include <commctrl.h>

#include <thread>

#include "framework/CWinApp.h"
#include "framework/ScopedHandle.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(TestFrame, WizardFrame)
    ON_MESSAGE(TestFrame::kSyncMessage, &TestFrame::OnSync)
    ON_MESSAGE(TestFrame::kCallMessage, &TestFrame::OnCall)
END_MESSAGE_MAP()

INT_PTR FrameDriver::Run(const std::function<void(FrameDriver&)>& script)
{
    ended = false;
    AfxGetApp()->m_pMainWnd = &frame;
    std::thread helper([&] {
        WaitFor([&] { return frame.m_hWnd && ::IsWindowVisible(frame.m_hWnd); });
        Sync();
        script(*this);
        if (!ended)
            OnUiThread([&] { frame.EndDialog(IDABORT); });
    });
    INT_PTR result = frame.DoModal();
    ended = true;
    helper.join();
    AfxGetApp()->m_pMainWnd = nullptr;
    return result;
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
    for (int i = 0; i < WizardFrame::PageCount; ++i)
        if (::IsWindowVisible(Page(i)))
            found = found == -1 ? i : -2;
    return found;
}

bool FrameDriver::Sync()
{
    if (ended || !frame.m_hWnd)
        return false;
    ScopedHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // A click that ended the frame leaves this message unhandled: stop when the run ends,
    // not at the timeout.
    bool ok = ::PostMessageA(frame.m_hWnd, TestFrame::kSyncMessage, 0, reinterpret_cast<LPARAM>(done.get())) &&
              WaitFor([&] { return ::WaitForSingleObject(done.get(), 10) == WAIT_OBJECT_0 || ended; }) && !ended;
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
    for (int before = -1; VisiblePage() < page && VisiblePage() != before;) {
        before = VisiblePage();
        if (before == WizardFrame::LicenceIndex && !Enabled(IDC_NEXT))
            Click(IDC_LICENCE_ACCEPT, WizardFrame::LicenceIndex);
        Click(IDC_NEXT);
    }
}

HWND FrameDriver::WaitForBox(DWORD timeoutMs)
{
    HWND box = nullptr;
    auto shown = [&] {
        while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr)))
            if (::GetWindow(box, GW_OWNER) == frame.m_hWnd && ::IsWindowVisible(box))
                return true;
        return false;
    };
    return WaitFor(shown, timeoutMs) ? box : nullptr;
}

bool FrameDriver::Answer(HWND box, int id)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    bool gone = WaitFor([box] { return !::IsWindow(box); }, 5000);
    Sync();
    return gone;
}

std::string FrameDriver::BarState(HWND bar)
{
    PBRANGE range{};
    ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return std::to_string(range.iLow) + ".." + std::to_string(range.iHigh) + " at " +
           std::to_string(::SendMessageA(bar, PBM_GETPOS, 0, 0));
}

bool FrameDriver::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (DWORD start = ::GetTickCount(); !condition(); ::Sleep(10))
        if (::GetTickCount() - start > timeoutMs)
            return false;
    return true;
}
