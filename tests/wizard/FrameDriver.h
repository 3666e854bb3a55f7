#pragma once
// Runs a WizardFrame modally on the test's main thread, as the application does, while a
// script on a helper thread works it with real messages: button clicks (BM_CLICK), the
// close box (WM_CLOSE), answers to its question boxes, and reads of captions, texts,
// visibility and enabled states.
#include <windows.h>

#include <functional>
#include <string>

#include "wizard/WizardFrame.h"

// The frame under test: the real frame plus two rows only a test needs.
class TestFrame : public WizardFrame {
public:
    static constexpr UINT kEndMessage = WM_APP + 71;   // ends the modal run with IDABORT
    static constexpr UINT kSyncMessage = WM_APP + 72;  // sets the event in lParam

protected:
    LRESULT OnEnd(WPARAM, LPARAM);
    LRESULT OnSync(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

class FrameDriver {
public:
    using Script = std::function<void(FrameDriver&)>;

    // The frame's modal result; the script runs once the frame is on the screen. A frame
    // still open when the script returns is ended with IDABORT.
    INT_PTR Run(const Script& script);

    TestFrame& Frame() { return frame; }
    HWND FrameWindow() const { return frame.m_hWnd; }

    // Every posted message before it has been handled (or is inside a question box).
    bool Sync();
    void Click(int id);
    void ClickOnPage(int pageIndex, int id);
    void Close();   // WM_CLOSE, as the close box sends it
    void Command(int id);   // WM_COMMAND, as Enter (IDOK) and Escape (IDCANCEL) send it

    // The question box of the frame, once it shows (null after timeoutMs).
    HWND WaitForBox(DWORD timeoutMs = 5000);
    static std::string BoxCaption(HWND box);
    static std::string BoxText(HWND box);
    // Presses the box's IDYES / IDNO / IDOK and waits for the box to go.
    bool Answer(HWND box, int id);

    bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
    // Index of the one visible page, -1 for none, -2 for several.
    int VisiblePage();
    bool Visible(int id);
    bool Enabled(int id);
    std::string Text(int id);
    std::string PageText(int pageIndex, int id);
    HWND PageItem(int pageIndex, int id);
    bool Ended() const { return ended; }

private:
    static DWORD WINAPI ScriptThread(LPVOID self);

    TestFrame frame;
    Script script;
    DWORD uiThread = 0;
    volatile bool ended = false;
};
