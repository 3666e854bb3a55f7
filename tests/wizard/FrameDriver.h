#pragma once
// Runs a WizardFrame modally on the test's main thread, as the application does, while a
// script on a helper thread works it with real messages (clicks, the close box, Enter and
// Escape, answers to its boxes) and reads texts and states.
#include <windows.h>

#include <functional>
#include <string>

#include "wizard/WizardFrame.h"

// The real frame plus the messages only a test needs.
class TestFrame : public WizardFrame {
public:
    static constexpr UINT kSyncMessage = WM_APP + 72;  // sets the event in lParam
    static constexpr UINT kCallMessage = WM_APP + 73;  // runs the std::function in lParam

protected:
    LRESULT OnSync(WPARAM, LPARAM lParam) { ::SetEvent(reinterpret_cast<HANDLE>(lParam)); return 0; }
    LRESULT OnCall(WPARAM, LPARAM lParam) { (*reinterpret_cast<const std::function<void()>*>(lParam))(); return 0; }
    DECLARE_MESSAGE_MAP()
};

class FrameDriver {
public:
    // The frame's modal result; the script runs once the frame is on the screen. A frame
    // still open when the script returns is ended with IDABORT.
    INT_PTR Run(const std::function<void(FrameDriver&)>& script);

    TestFrame& Frame() { return frame; }
    HWND Window() const { return frame.m_hWnd; }
    HWND Page(int page) { return frame.Page(page)->m_hWnd; }
    // A control of the frame (page -1) or of one page.
    HWND Item(int id, int page = -1) { return ::GetDlgItem(page < 0 ? frame.m_hWnd : Page(page), id); }
    std::string Text(int id, int page = -1) { return TextOf(Item(id, page)); }
    static std::string TextOf(HWND window);
    bool Visible(int id) { return ::IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) { return ::IsWindowEnabled(Item(id)) != FALSE; }
    // Index of the one visible page, -1 for none, -2 for several.
    int VisiblePage();

    // Every message posted before has been handled (or is inside a box), and painted.
    bool Sync();
    void OnUiThread(const std::function<void()>& call);
    void Show(int page) { OnUiThread([&] { frame.ShowPage(page); }); }
    void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Click(int id, int page = -1) { Post(Item(id, page), BM_CLICK); }
    void Close() { Post(Window(), WM_CLOSE); }
    void ClickListItem(HWND list, int index);
    void Repaint(HWND window);
    // Next up to `page`, ticking the licence on the way.
    void GoTo(int page);

    // A box the frame owns (question, folder browser), null after timeoutMs.
    HWND WaitForBox(DWORD timeoutMs = 5000);
    static std::string BoxText(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }
    // Presses the box's button and waits for the box to go.
    bool Answer(HWND box, int id);
    // "low..high at position" of a progress bar.
    static std::string BarState(HWND bar);
    static bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

private:
    TestFrame frame;
    volatile bool ended = false;
};
