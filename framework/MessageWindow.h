#pragma once
#include <windows.h>

#include <functional>

// A window that is never shown (a message-only window): a target for messages another
// thread sends, where there is no dialog to receive them. Every message goes to the
// handler given at creation, which answers true with the result for those it handles;
// the rest get the default processing. The window goes with the object.
class MessageWindow {
public:
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    MessageWindow() = default;
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    bool Create(Handler handler);
    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    Handler handler_;
};
