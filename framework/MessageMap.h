#pragma once
#include <windows.h>

#include <type_traits>

class CWnd;
class CDC;

// One row of a class's message map: which message (and, for WM_COMMAND, which control id
// and notification code) goes to which member handler. The handler field is a small
// function generated per member function, so a handler of the wrong signature does not
// compile.
struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT id;
    LRESULT (*handler)(CWnd* self, UINT message, WPARAM wParam, LPARAM lParam);
};

// A class's table plus the way to its base class's table; lookups walk from the most
// derived class to CWnd, so a derived entry wins over a base entry for the same message.
struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

namespace msgmap {

// The seven WM_CTLCOLORxxx messages share one map row under the old WM_CTLCOLOR number;
// the handler learns the control kind from its third argument (CTLCOLOR_STATIC, ...).
constexpr UINT kCtlColor = 0x0019;
// Rows a control answers for its parent (reflected messages) sit above this base.
constexpr UINT kReflectBase = 0xBC00;

template <class T>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
    using Class = C;
};

template <auto Fn>
auto* Self(CWnd* wnd)
{
    using Class = typename MemberOf<decltype(Fn)>::Class;
    static_assert(std::is_base_of_v<CWnd, Class>, "message handlers belong to a window class");
    return static_cast<Class*>(wnd);
}

inline POINT PointFrom(LPARAM lParam)
{
    // Signed: points left of or above a window are negative.
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

template <auto Fn>
LRESULT Void(CWnd* w, UINT, WPARAM, LPARAM)
{
    (Self<Fn>(w)->*Fn)();
    return 0;
}

template <auto Fn>
LRESULT QueryDragIcon(CWnd* w, UINT, WPARAM, LPARAM)
{
    HCURSOR icon = (Self<Fn>(w)->*Fn)();
    return reinterpret_cast<LRESULT>(icon);
}

template <auto Fn>
LRESULT Timer(CWnd* w, UINT, WPARAM wParam, LPARAM)
{
    (Self<Fn>(w)->*Fn)(static_cast<UINT_PTR>(wParam));
    return 0;
}

template <auto Fn>
LRESULT ShowWindow(CWnd* w, UINT, WPARAM wParam, LPARAM lParam)
{
    (Self<Fn>(w)->*Fn)(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
    return 0;
}

template <auto Fn>
LRESULT NcHitTest(CWnd* w, UINT, WPARAM, LPARAM lParam)
{
    LRESULT hit = (Self<Fn>(w)->*Fn)(PointFrom(lParam));
    return hit;
}

template <auto Fn>
LRESULT MouseButton(CWnd* w, UINT, WPARAM wParam, LPARAM lParam)
{
    (Self<Fn>(w)->*Fn)(static_cast<UINT>(wParam), PointFrom(lParam));
    return 0;
}

template <auto Fn>
LRESULT Message(CWnd* w, UINT, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = (Self<Fn>(w)->*Fn)(wParam, lParam);
    return result;
}

// Defined with CWnd, which they need complete.
template <auto Fn>
LRESULT SetCursor(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam);
template <auto Fn>
LRESULT CtlColor(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam);
template <auto Fn>
LRESULT CtlColorReflect(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace msgmap

// In the class body. Leaves the access at protected.
#define DECLARE_MESSAGE_MAP()                                \
protected:                                                   \
    static const MessageMap* GetThisMessageMap();            \
    const MessageMap* GetMessageMap() const override;

// In the source file: BEGIN_MESSAGE_MAP(Class, Base) rows... END_MESSAGE_MAP()
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const MessageMap* theClass::GetThisMessageMap()                                       \
    {                                                                                     \
        using ThisClass = theClass;                                                       \
        using TheBaseClass = baseClass;                                                   \
        static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "wrong base class");   \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                 \
            {0, 0, 0, nullptr}                                                            \
        };                                                                                \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};        \
        return &map;                                                                      \
    }

// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &msgmap::Void<&ThisClass::OnPaint>},
// void OnClose()
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, &msgmap::Void<&ThisClass::OnClose>},
// void OnDestroy()
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &msgmap::Void<&ThisClass::OnDestroy>},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &msgmap::QueryDragIcon<&ThisClass::OnQueryDragIcon>},
// void OnTimer(UINT_PTR timerId)
#define ON_WM_TIMER() {WM_TIMER, 0, 0, &msgmap::Timer<&ThisClass::OnTimer>},
// void OnShowWindow(BOOL show, UINT status)
#define ON_WM_SHOWWINDOW() {WM_SHOWWINDOW, 0, 0, &msgmap::ShowWindow<&ThisClass::OnShowWindow>},
// LRESULT OnNcHitTest(POINT screenPoint)
#define ON_WM_NCHITTEST() {WM_NCHITTEST, 0, 0, &msgmap::NcHitTest<&ThisClass::OnNcHitTest>},
// BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, &msgmap::SetCursor<&ThisClass::OnSetCursor>},
// void OnLButtonDown(UINT flags, POINT clientPoint)
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, &msgmap::MouseButton<&ThisClass::OnLButtonDown>},
// HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind)
#define ON_WM_CTLCOLOR() {msgmap::kCtlColor, 0, 0, &msgmap::CtlColor<&ThisClass::OnCtlColor>},
// HBRUSH CtlColor(CDC* dc, UINT ctlColorKind), on the control itself; a non-null brush
// answers the parent's WM_CTLCOLORxxx before the parent's own handler.
#define ON_WM_CTLCOLOR_REFLECT() \
    {msgmap::kReflectBase + msgmap::kCtlColor, 0, 0, &msgmap::CtlColorReflect<&ThisClass::CtlColor>},
// LRESULT handler(WPARAM, LPARAM)
#define ON_MESSAGE(message, handler) {(message), 0, 0, &msgmap::Message<handler>},
// void handler(): WM_COMMAND with the given notification code from control id
#define ON_CONTROL(code, id, handler) {WM_COMMAND, (code), (id), &msgmap::Void<handler>},
#define ON_COMMAND(id, handler) ON_CONTROL(0, id, handler)
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_LBN_SELCHANGE(id, handler) ON_CONTROL(LBN_SELCHANGE, id, handler)
