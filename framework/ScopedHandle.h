#pragma once
#include <windows.h>

// Owns one kernel handle (file, thread, event, mutex, ...) and closes it. Both null and
// INVALID_HANDLE_VALUE mean "no handle", since the kernel calls disagree on which one
// they return for a failure.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept;
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    HANDLE release();
    void reset(HANDLE handle = nullptr);

private:
    HANDLE handle_;
};
