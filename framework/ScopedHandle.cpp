#include "framework/ScopedHandle.h"

ScopedHandle& ScopedHandle::operator=(ScopedHandle&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

HANDLE ScopedHandle::release()
{
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

void ScopedHandle::reset(HANDLE handle)
{
    if (valid() && handle != handle_)
        ::CloseHandle(handle_);
    handle_ = handle;
}
