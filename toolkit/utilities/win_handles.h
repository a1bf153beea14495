#pragma once
// Owners of kernel handles: closed exactly once, never copied.

#include <windows.h>

#include <utility>

// CreateFile and friends fail with INVALID_HANDLE_VALUE, CreateProcess and
// OpenProcess with NULL; the owner keeps each kind's own "no handle".
enum class HandleKind { File, Object };

template <HandleKind Kind>
class KernelHandle {
    static HANDLE Invalid() { return Kind == HandleKind::File ? INVALID_HANDLE_VALUE : nullptr; }

public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) : h_(h) {}
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : h_(other.Detach()) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept
    {
        Attach(other.Detach());
        return *this;
    }
    ~KernelHandle() { Close(); }

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void Attach(HANDLE h)
    {
        Close();
        h_ = h;
    }
    HANDLE Detach() { return std::exchange(h_, Invalid()); }
    void Close()
    {
        if (valid()) CloseHandle(h_);
        h_ = Invalid();
    }

private:
    HANDLE h_ = Invalid();
};

using FileHandle = KernelHandle<HandleKind::File>;
using ObjectHandle = KernelHandle<HandleKind::Object>;

// A directory search, ended by FindClose.
class FindHandle {
public:
    FindHandle() = default;
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle()
    {
        if (valid()) FindClose(h_);
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};
