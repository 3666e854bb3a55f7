#include "SetupDriver.h"

#include <algorithm>

#include "framework/WideText.h"

namespace {

// A visible top-level dialog of the process (0: of any) holding control id: 0xFFFF is
// the text of a message box, 1001 the Next button of the wizard frame.
HWND FindDialog(DWORD processId, int id)
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if ((!processId || owner == processId) && IsWindowVisible(window) && GetDlgItem(window, id))
            return window;
    }
    return nullptr;
}

HWND VisiblePage(HWND frame)
{
    for (HWND page = nullptr; frame && (page = FindWindowExW(frame, page, L"#32770", nullptr)) != nullptr;)
        if (IsWindowVisible(page))
            return page;
    return nullptr;
}

// 0 for no window or no answer.
DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return window && SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ? result : 0;
}

} // namespace

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done)
{
    for (DWORD start = GetTickCount();; Sleep(25)) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

SetupDriver::~SetupDriver()
{
    Kill();
    if (process_.hProcess) {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool SetupDriver::Start(const std::string& exe, const std::string& arguments)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command = WideText::FromUtf8("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
    return CreateProcessW(WideText::FromUtf8(exe).c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process_) != FALSE;
}

bool SetupDriver::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupDriver::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (process_.hProcess && WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode && process_.hProcess)
        GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

void SetupDriver::Kill()
{
    if (Running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
    }
}

HWND SetupDriver::WaitForFrame(DWORD timeoutMs)
{
    WaitUntil(timeoutMs, [this] { return (frame_ = FindDialog(process_.dwProcessId, 1001)) || !Running(); });
    return frame_;
}

int SetupDriver::CurrentPage() const
{
    HWND page = VisiblePage(frame_);
    // Each page told by a control only its template has, in an order where the first
    // match is the right one (the finish page shares 1016 with the directory page, ...).
    static const int kMarks[][2] = {{1006, 0}, {1008, 1}, {1010, 2}, {1014, 3}, {1019, 4},
                                    {1021, 6}, {1016, 7}, {1022, 8}, {1020, 5}};
    for (const auto& mark : kMarks)
        if (GetDlgItem(page, mark[0]))
            return mark[1];
    return -1;
}

bool SetupDriver::WaitForPage(int index, DWORD timeoutMs)
{
    return WaitUntil(timeoutMs, [this, index] { return CurrentPage() == index; });
}

void SetupDriver::Repaint() const
{
    RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HWND SetupDriver::WaitForMessageBox(DWORD timeoutMs) const
{
    HWND box = nullptr;
    WaitUntil(timeoutMs, [this, &box] { return (box = FindMessageBox(process_.dwProcessId)) || !Running(); });
    return box;
}

HWND SetupDriver::FindMessageBox(DWORD processId)
{
    return FindDialog(processId, 0xFFFF);
}

std::string SetupDriver::MessageBoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}

bool SetupDriver::Answer(HWND box, int buttonId)
{
    HWND button = GetDlgItem(box, buttonId);
    return button && PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

std::string SetupDriver::WindowText(HWND window)
{
    std::wstring text(Send(window, WM_GETTEXTLENGTH) + 1, L'\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    return WideText::ToUtf8(text);
}

HWND SetupDriver::Control(int id) const
{
    HWND onPage = GetDlgItem(VisiblePage(frame_), id);
    return onPage ? onPage : GetDlgItem(frame_, id);
}

bool SetupDriver::IsChecked(int id) const
{
    return Send(Control(id), BM_GETCHECK) == BST_CHECKED;
}

bool SetupDriver::SetText(int id, const std::string& text) const
{
    // WM_SETTEXT carries a pointer, which the system marshals across processes.
    std::wstring wide = WideText::FromUtf8(text);
    return Send(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool SetupDriver::Press(int id) const
{
    // BM_CLICK goes through the button's own click, so a check box toggles as well.
    HWND control = Control(id);
    return IsWindowVisible(control) && IsWindowEnabled(control) && PostMessageW(control, BM_CLICK, 0, 0);
}

std::vector<std::string> SetupDriver::ListItems(int listId) const
{
    std::vector<std::string> items;
    HWND list = Control(listId);
    LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring wide(SendMessageW(list, LB_GETTEXTLEN, i, 0) + 1, L'\0');
        wide.resize(std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]))));
        items.push_back(WideText::ToUtf8(wide));
    }
    return items;
}

bool SetupDriver::SelectListIndex(int listId, int index) const
{
    HWND list = Control(listId);
    if (!list || SendMessageW(list, LB_SETCURSEL, index, 0) == LB_ERR)
        return false;
    // Selecting from code sends no notification; the page learns of it as from a click.
    return PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
