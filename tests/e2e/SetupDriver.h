#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Drives a running setup.exe from another process, the way a person would: it finds the
// wizard's windows, reads texts and states, presses buttons and answers the question
// boxes. Presses are posted, never sent, so a press that opens a modal box does not
// block the driver.
class SetupDriver {
public:
    SetupDriver() = default;
    ~SetupDriver();
    SetupDriver(const SetupDriver&) = delete;
    SetupDriver& operator=(const SetupDriver&) = delete;

    // Starts the setup as a separate process; false when it cannot be started.
    bool Start(const std::string& setupPath, const std::string& workingFolder = std::string());
    // Waits for the process to end; true when it ended within the time. Its exit code
    // is stored in exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Ends the process if it still runs (a failed test must not leave it behind).
    void Kill();
    DWORD ProcessId() const { return processId_; }
    bool Running() const;

    // The wizard frame (the window with the Next button 1001); null on time-out.
    HWND WaitForFrame(DWORD timeoutMs);
    HWND Frame() const { return frame_; }
    // Index of the visible page (0 language ... 8 cancel), -1 when none is recognised.
    int CurrentPage() const;
    // Waits until the visible page is index; false on time-out.
    bool WaitForPage(int index, DWORD timeoutMs);

    // A message box of the setup process, or null on time-out.
    HWND WaitForMessageBox(DWORD timeoutMs);
    static std::string MessageBoxText(HWND box);
    // Presses IDYES, IDNO or IDOK in the box.
    static bool Answer(HWND box, int buttonId);

    // Page or frame controls.
    HWND Control(int id) const;                       // searches the frame and its visible page
    std::string Text(int id) const;
    static std::string WindowText(HWND window);
    bool IsVisible(int id) const;
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    bool SetText(int id, const std::string& text) const;
    bool Press(int id) const;                         // a button click, posted
    bool SelectListItem(int listId, const std::string& text) const;
    bool SelectListIndex(int listId, int index) const;
    std::vector<std::string> ListItems(int listId) const;

    // The visible page's child dialog, or null.
    HWND VisiblePage() const;

private:
    HWND FindControl(HWND parent, int id) const;

    PROCESS_INFORMATION process_{};
    DWORD processId_ = 0;
    HWND frame_ = nullptr;
};
