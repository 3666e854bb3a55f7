#include "SetupDriver.h"

#include <cstring>

namespace {

const char kDialogClass[] = "#32770";

bool IsDialog(HWND window)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    return std::strcmp(name, kDialogClass) == 0;
}

struct TopLevelSearch {
    DWORD processId;
    bool wantMessageBox;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || !IsDialog(window))
        return TRUE;
    // A message box carries its text in static 0xFFFF; the wizard frame has Next (1001).
    bool isBox = GetDlgItem(window, 0xFFFF) != nullptr;
    bool isFrame = GetDlgItem(window, 1001) != nullptr;
    if ((search->wantMessageBox && isBox) || (!search->wantMessageBox && isFrame)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevelOf(DWORD processId, bool messageBox)
{
    TopLevelSearch search{processId, messageBox, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Which page a child dialog is, told by the controls only that page's template has.
int PageIndexOf(HWND page)
{
    auto has = [page](int id) { return GetDlgItem(page, id) != nullptr; };
    if (has(1006)) return 0;
    if (has(1008)) return 1;
    if (has(1010)) return 2;
    if (has(1014)) return 3;
    if (has(1019)) return 4;
    if (has(1021)) return 6;
    if (has(1016) && has(1017)) return 7;
    if (has(1022)) return 8;
    if (has(1020)) return 5;
    return -1;
}

struct PageSearch {
    HWND found;
};

BOOL CALLBACK FindVisiblePage(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<PageSearch*>(param);
    if (IsDialog(window) && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

template <class Pred>
bool WaitUntil(DWORD timeoutMs, Pred pred)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
}

} // namespace

SetupDriver::~SetupDriver()
{
    Kill();
    if (process_.hProcess)
        CloseHandle(process_.hProcess);
    if (process_.hThread)
        CloseHandle(process_.hThread);
}

bool SetupDriver::Start(const std::string& setupPath, const std::string& workingFolder)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + setupPath + "\"";
    if (!CreateProcessA(setupPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process_))
        return false;
    processId_ = process_.dwProcessId;
    return true;
}

bool SetupDriver::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool SetupDriver::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!process_.hProcess)
        return true;
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
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
    WaitUntil(timeoutMs, [this] {
        frame_ = FindTopLevelOf(processId_, false);
        return frame_ != nullptr || !Running();
    });
    return frame_;
}

HWND SetupDriver::VisiblePage() const
{
    if (!frame_)
        return nullptr;
    PageSearch search{nullptr};
    EnumChildWindows(frame_, FindVisiblePage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int SetupDriver::CurrentPage() const
{
    HWND page = VisiblePage();
    return page ? PageIndexOf(page) : -1;
}

bool SetupDriver::WaitForPage(int index, DWORD timeoutMs)
{
    return WaitUntil(timeoutMs, [this, index] { return CurrentPage() == index; });
}

HWND SetupDriver::WaitForMessageBox(DWORD timeoutMs)
{
    HWND box = nullptr;
    WaitUntil(timeoutMs, [this, &box] {
        box = FindTopLevelOf(processId_, true);
        return box != nullptr || !Running();
    });
    return box;
}

std::string SetupDriver::MessageBoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}

bool SetupDriver::Answer(HWND box, int buttonId)
{
    HWND button = GetDlgItem(box, buttonId);
    if (!button)
        return false;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != FALSE;
}

std::string SetupDriver::WindowText(HWND window)
{
    if (!window)
        return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                        5000, &copied);
    text.resize(copied);
    return text;
}

HWND SetupDriver::FindControl(HWND parent, int id) const
{
    return parent ? GetDlgItem(parent, id) : nullptr;
}

HWND SetupDriver::Control(int id) const
{
    // Page controls first: the frame and its pages reuse some ids (1020, 1022, ...).
    if (HWND onPage = FindControl(VisiblePage(), id))
        return onPage;
    return FindControl(frame_, id);
}

std::string SetupDriver::Text(int id) const
{
    return WindowText(Control(id));
}

bool SetupDriver::IsVisible(int id) const
{
    HWND control = Control(id);
    return control && IsWindowVisible(control);
}

bool SetupDriver::IsEnabled(int id) const
{
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

bool SetupDriver::IsChecked(int id) const
{
    DWORD_PTR state = 0;
    HWND control = Control(id);
    if (!control || !SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state))
        return false;
    return state == BST_CHECKED;
}

bool SetupDriver::SetText(int id, const std::string& text) const
{
    HWND control = Control(id);
    DWORD_PTR result = 0;
    // WM_SETTEXT carries a pointer, which the system marshals across processes.
    return control && SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                          SMTO_ABORTIFHUNG, 5000, &result);
}

bool SetupDriver::Press(int id) const
{
    // As a person: only a button that is shown and enabled can be pressed. BM_CLICK
    // makes the button go through its own click, so a check box toggles as well.
    HWND control = Control(id);
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control))
        return false;
    return PostMessageA(control, BM_CLICK, 0, 0) != FALSE;
}

std::vector<std::string> SetupDriver::ListItems(int listId) const
{
    std::vector<std::string> items;
    HWND list = Control(listId);
    if (!list)
        return items;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Across processes Wine hands LB_GETTEXT's buffer back in UTF-16 whichever
        // variant was sent, so the text is asked for in UTF-16 and converted here.
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0)
            continue;
        std::wstring wide(length + 1, L'\0');
        LRESULT copied = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        wide.resize(copied > 0 ? copied : 0);
        std::string text;
        if (!wide.empty()) {
            int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
            text.resize(bytes > 0 ? bytes : 0);
            WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], bytes, nullptr, nullptr);
        }
        items.push_back(text);
    }
    return items;
}

bool SetupDriver::SelectListItem(int listId, const std::string& text) const
{
    HWND list = Control(listId);
    if (!list)
        return false;
    std::vector<std::string> items = ListItems(listId);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return SelectListIndex(listId, static_cast<int>(i));
    }
    return false;
}

bool SetupDriver::SelectListIndex(int listId, int index) const
{
    HWND list = Control(listId);
    if (!list || SendMessageA(list, LB_SETCURSEL, index, 0) == LB_ERR)
        return false;
    // Selecting from code sends no notification; the page learns of it as from a click.
    return PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list)) != FALSE;
}
