#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/CDC.h"
#include "framework/MessageMap.h"

class CFont;

// A thin holder of one window handle.
//
// Attach/Detach only remember a handle. SubclassWindow makes the object the window's
// owner: its window procedure is replaced by a thunk that finds the object again and
// runs the message map (most derived class first), and what no row handles goes on to
// the previous procedure (Default / DefWindowProc). When the window is destroyed the
// previous procedure is restored, the handle forgotten and PostNcDestroy called, in
// which an object may delete itself.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object that subclassed hwnd, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);
    // The object that subclassed hwnd; otherwise `temporary`, attached to hwnd.
    static CWnd* FromHandle(HWND hwnd, CWnd& temporary);

    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    // The child with that id: its subclassing object when there is one, otherwise a
    // wrapper kept by this object until its window is destroyed. Null when there is no
    // such child.
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }

    // Texts are UTF-8 here and UTF-16 in the window.
    void SetWindowText(const char* text) { SetWindowText(std::string(text ? text : "")); }
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    // The text of any window.
    static std::string TextOf(HWND hwnd);

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }

    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw); }
    BOOL RedrawWindow(UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, nullptr, nullptr, flags);
    }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE)
    {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }

    void SetFont(CFont* font, BOOL redraw = TRUE);
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    HICON SetIcon(HICON icon, BOOL bigIcon)
    {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    int MessageBox(const std::string& text, const std::string& caption, UINT type = MB_OK)
    {
        return ShowMessage(m_hWnd, text, caption, type);
    }
    // A message box owned by owner (may be null); UTF-8 texts.
    static int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT type);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // The message being handled, passed on to the previous window procedure.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Offers a message the parent received about this control (reflection); true with
    // *result set when a reflected row answered it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void PostNcDestroy() {}

    // Base handlers: derived handlers call them for the usual processing.
    void OnPaint() { Default(); }
    void OnClose() { Default(); }
    void OnDestroy() { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    LRESULT OnNcHitTest(POINT) { return Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
    void OnLButtonDown(UINT, POINT) { Default(); }
    // Lets the control answer first (ON_WM_CTLCOLOR_REFLECT); otherwise the default brush.
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

private:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, UINT code, UINT id);

    WNDPROC superProc_ = nullptr;   // set while this object subclasses m_hWnd
    CurrentMessage current_;
    mutable std::vector<std::unique_ptr<CWnd>> children_;   // wrappers handed out by GetDlgItem
};

namespace msgmap {

template <auto Fn>
LRESULT SetCursor(CWnd* w, UINT, WPARAM wParam, LPARAM lParam)
{
    CWnd temporary;
    CWnd* window = CWnd::FromHandle(reinterpret_cast<HWND>(wParam), temporary);
    BOOL done = (Self<Fn>(w)->*Fn)(window, LOWORD(lParam), HIWORD(lParam));
    temporary.Detach();
    return done;
}

template <auto Fn>
LRESULT CtlColor(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDC dc(reinterpret_cast<HDC>(wParam));
    CWnd temporary;
    CWnd* control = CWnd::FromHandle(reinterpret_cast<HWND>(lParam), temporary);
    HBRUSH brush = (Self<Fn>(w)->*Fn)(&dc, control, message - WM_CTLCOLORMSGBOX);
    temporary.Detach();
    return reinterpret_cast<LRESULT>(brush);
}

template <auto Fn>
LRESULT CtlColorReflect(CWnd* w, UINT message, WPARAM wParam, LPARAM)
{
    CDC dc(reinterpret_cast<HDC>(wParam));
    HBRUSH brush = (Self<Fn>(w)->*Fn)(&dc, message - WM_CTLCOLORMSGBOX);
    return reinterpret_cast<LRESULT>(brush);
}

} // namespace msgmap
