#pragma once
#include <objbase.h>

// Holds one COM interface pointer and releases it.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            ptr_ = other.ptr_;
            other.ptr_ = nullptr;
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put()
    {
        reset();
        return &ptr_;
    }
    void reset()
    {
        if (ptr_)
            ptr_->Release();
        ptr_ = nullptr;
    }

    // CoCreateInstance of `clsid` asking for interface `iid` (which must be T's).
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, DWORD context = CLSCTX_INPROC_SERVER)
    {
        return ::CoCreateInstance(clsid, nullptr, context, iid, reinterpret_cast<void**>(put()));
    }
    // QueryInterface for interface `iid` (which must be U's) into `other`.
    template <class U>
    HRESULT As(ComPtr<U>& other, REFIID iid) const
    {
        if (!ptr_)
            return E_POINTER;
        return ptr_->QueryInterface(iid, reinterpret_cast<void**>(other.put()));
    }

private:
    T* ptr_ = nullptr;
};
