#include "framework/MessageWindow.h"

namespace {

const wchar_t kClassName[] = L"Orvanta.MessageWindow";

bool RegisterOnce()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

} // namespace

MessageWindow::~MessageWindow()
{
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

// The class's procedure is the default one, so that the messages of the creation itself
// need no object; the window takes this object's procedure once it exists.
bool MessageWindow::Create(Handler handler)
{
    if (hwnd_ || !handler || !RegisterOnce())
        return false;
    hwnd_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                              nullptr);
    if (!hwnd_)
        return false;
    handler_ = std::move(handler);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageWindow::Procedure));
    return true;
}

LRESULT CALLBACK MessageWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcW));
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (self && self->handler_ && self->handler_(message, wParam, lParam, result))
        return result;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}
