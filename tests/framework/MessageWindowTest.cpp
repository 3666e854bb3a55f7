#include "framework/MessageWindow.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(MessageWindow, AnswersWhatAnotherThreadSendsAndDefaultsTheRest)
{
    MessageWindow window;
    int seen = 0;
    ASSERT_TRUE(window.Create([&seen](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_APP)
            return false;
        seen += static_cast<int>(wParam);
        result = 42;
        return true;
    }));
    HWND hwnd = window.Handle();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    LRESULT answered = 0;
    std::thread sender([&] { answered = ::SendMessageW(hwnd, WM_APP, 5, 0); });
    // A message sent from another thread arrives while this thread takes messages.
    MSG msg;
    while (answered == 0) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    sender.join();
    EXPECT_EQ(42, answered);
    EXPECT_EQ(5, seen);
    EXPECT_EQ(0, ::SendMessageW(hwnd, WM_USER + 7, 0, 0)) << "unhandled: default processing";
}

TEST(MessageWindow, TheWindowGoesWithTheObject)
{
    HWND hwnd = nullptr;
    {
        MessageWindow window;
        ASSERT_TRUE(window.Create([](UINT, WPARAM, LPARAM, LRESULT&) { return false; }));
        hwnd = window.Handle();
        EXPECT_TRUE(::IsWindow(hwnd));
        EXPECT_FALSE(window.Create([](UINT, WPARAM, LPARAM, LRESULT&) { return false; })) << "one window per object";
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

} // namespace
