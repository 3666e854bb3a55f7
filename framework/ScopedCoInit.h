#pragma once
#include <objbase.h>

// COM initialised on this thread for the object's lifetime. Uninitialises only when the
// initialisation succeeded (S_OK or S_FALSE), as COM counts them.
class ScopedCoInit {
public:
    explicit ScopedCoInit(DWORD model = COINIT_APARTMENTTHREADED);
    ~ScopedCoInit();
    ScopedCoInit(const ScopedCoInit&) = delete;
    ScopedCoInit& operator=(const ScopedCoInit&) = delete;

    bool Succeeded() const { return SUCCEEDED(result_); }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};
