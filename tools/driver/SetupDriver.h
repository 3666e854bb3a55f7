#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Asks done() every 25 ms until it holds (true) or timeoutMs has passed (false).
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done);

// Drives a running setup.exe from another process the way a person would: finds its
// wizard and message boxes, reads texts and states, presses buttons. Presses are posted,
// never sent, so a press that opens a modal box does not block the driver. Texts go in
// and out in UTF-8, read and written as the windows hold them (UTF-16), so what is
// compared is the very text shown, whatever the code page of either program.
class SetupDriver {
public:
    SetupDriver() = default;
    ~SetupDriver();   // ends the process if it still runs: a failed test leaves nothing behind
    SetupDriver(const SetupDriver&) = delete;
    SetupDriver& operator=(const SetupDriver&) = delete;

    // The program runs under the driver's code page: Wine takes a child's from the Unix
    // locale of the process that starts it, not from LC_ALL in the environment block, so a
    // test of another code page runs whole under it (tests/e2e/CMakeLists.txt).
    bool Start(const std::string& exe, const std::string& arguments = std::string());
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    DWORD ProcessId() const { return process_.dwProcessId; }
    bool Running() const;

    // The wizard frame (the dialog with Next, 1001); null on time-out.
    HWND WaitForFrame(DWORD timeoutMs);
    HWND Frame() const { return frame_; }
    // The visible page, 0 language ... 8 cancel; -1 when none is recognised.
    int CurrentPage() const;
    bool WaitForPage(int index, DWORD timeoutMs);
    // Has the frame and its pages painted again, as a window passing over them would:
    // pages take their texts when they paint.
    void Repaint() const;

    // A message box of the process, or null on time-out.
    HWND WaitForMessageBox(DWORD timeoutMs) const;
    // A visible message box of the process (0: of any process), or null.
    static HWND FindMessageBox(DWORD processId);
    static std::string MessageBoxText(HWND box);
    static bool Answer(HWND box, int buttonId);

    // The control of the visible page, else of the frame (the two reuse some ids).
    HWND Control(int id) const;
    std::string Text(int id) const { return WindowText(Control(id)); }
    static std::string WindowText(HWND window);
    bool IsVisible(int id) const { return IsWindowVisible(Control(id)); }
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)); }
    bool IsChecked(int id) const;
    bool SetText(int id, const std::string& text) const;
    // As for a person, only a shown and enabled button can be pressed.
    bool Press(int id) const;
    bool SelectListIndex(int listId, int index) const;
    std::vector<std::string> ListItems(int listId) const;

private:
    PROCESS_INFORMATION process_{};
    HWND frame_ = nullptr;
};
