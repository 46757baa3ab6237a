// Scoped owners for kernel handles and COM interfaces; application code never closes or
// releases these by hand.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

// A move-only kernel handle. Invalid is the null handle for most objects (mutexes,
// events) and INVALID_HANDLE_VALUE for files and devices opened by CreateFile.
template <HANDLE (*Invalid)()>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != Invalid(); }
    explicit operator bool() const { return Valid(); }

    HANDLE Release() { return std::exchange(handle_, Invalid()); }
    void Reset(HANDLE h = Invalid())
    {
        if (Valid())
            CloseHandle(handle_);
        handle_ = h;
    }

private:
    HANDLE handle_ = Invalid();
};

inline HANDLE NullHandleValue() { return nullptr; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using KernelHandle = UniqueHandle<NullHandleValue>;   // mutexes, events, processes
using FileHandle = UniqueHandle<InvalidHandleValue>;  // files, ports

// A reference-counting COM pointer: copying adds a reference, destruction releases it.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* p) { ComPtr c; c.p_ = p; return c; }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    T** Put() { Reset(); return &p_; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset()
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};
