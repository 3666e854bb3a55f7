#include "FrameDriver.h"

#include "framework/CWinApp.h"

BEGIN_MESSAGE_MAP(TestFrame, WizardFrame)
    ON_MESSAGE(TestFrame::kEndMessage, &TestFrame::OnEnd)
    ON_MESSAGE(TestFrame::kSyncMessage, &TestFrame::OnSync)
END_MESSAGE_MAP()

LRESULT TestFrame::OnEnd(WPARAM, LPARAM)
{
    EndDialog(IDABORT);
    return 0;
}

LRESULT TestFrame::OnSync(WPARAM, LPARAM lParam)
{
    ::SetEvent(reinterpret_cast<HANDLE>(lParam));
    return 0;
}

namespace {

struct BoxSearch {
    HWND frame;
    HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (hwnd != search->frame && std::string(name) == "#32770" && ::IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM param)
{
    std::string* text = reinterpret_cast<std::string*>(param);
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (std::string(name) != "Static")
        return TRUE;
    char buffer[4096] = {};
    ::GetWindowTextA(hwnd, buffer, sizeof(buffer));
    if (std::string(buffer).size() > text->size())
        *text = buffer;
    return TRUE;
}

} // namespace

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
    FrameDriver* self = static_cast<FrameDriver*>(param);
    self->WaitFor([self] { return self->frame.m_hWnd && ::IsWindowVisible(self->frame.m_hWnd); });
    self->Sync();
    self->script(*self);
    if (!self->ended && self->frame.m_hWnd)
        ::PostMessageA(self->frame.m_hWnd, TestFrame::kEndMessage, 0, 0);
    return 0;
}

bool FrameDriver::Sync()
{
    if (ended || !frame.m_hWnd)
        return false;
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool ok = ::PostMessageA(frame.m_hWnd, TestFrame::kSyncMessage, 0, reinterpret_cast<LPARAM>(done)) &&
              ::WaitForSingleObject(done, 10000) == WAIT_OBJECT_0;
    ::CloseHandle(done);
    // Paints wait until the queue is empty; what a page does in its paint (the licence box
    // is cleared there) must have happened before the script looks or clicks again.
    if (ok)
        ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ok;
}

void FrameDriver::Click(int id)
{
    ::PostMessageA(::GetDlgItem(frame.m_hWnd, id), BM_CLICK, 0, 0);
    Sync();
}

void FrameDriver::ClickOnPage(int pageIndex, int id)
{
    ::PostMessageA(PageItem(pageIndex, id), BM_CLICK, 0, 0);
    Sync();
}

void FrameDriver::Close()
{
    ::PostMessageA(frame.m_hWnd, WM_CLOSE, 0, 0);
    Sync();
}

void FrameDriver::Command(int id)
{
    ::PostMessageA(frame.m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Sync();
}

HWND FrameDriver::WaitForBox(DWORD timeoutMs)
{
    BoxSearch search{frame.m_hWnd, nullptr};
    WaitFor(
        [&] {
            search.found = nullptr;
            ::EnumThreadWindows(uiThread, &FindBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::string FrameDriver::BoxCaption(HWND box)
{
    char buffer[512] = {};
    ::GetWindowTextA(box, buffer, sizeof(buffer));
    return buffer;
}

std::string FrameDriver::BoxText(HWND box)
{
    std::string text;
    ::EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
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

bool FrameDriver::Visible(int id)
{
    return ::IsWindowVisible(::GetDlgItem(frame.m_hWnd, id)) != FALSE;
}

bool FrameDriver::Enabled(int id)
{
    return ::IsWindowEnabled(::GetDlgItem(frame.m_hWnd, id)) != FALSE;
}

std::string FrameDriver::Text(int id)
{
    char buffer[512] = {};
    ::GetWindowTextA(::GetDlgItem(frame.m_hWnd, id), buffer, sizeof(buffer));
    return buffer;
}

HWND FrameDriver::PageItem(int pageIndex, int id)
{
    CDialog* page = frame.Page(pageIndex);
    return page ? ::GetDlgItem(page->m_hWnd, id) : nullptr;
}

std::string FrameDriver::PageText(int pageIndex, int id)
{
    char buffer[4096] = {};
    ::GetWindowTextA(PageItem(pageIndex, id), buffer, sizeof(buffer));
    return buffer;
}
