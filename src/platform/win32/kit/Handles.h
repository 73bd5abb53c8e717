#pragma once

// Owners of the raw handles the Win32 layer holds: each closes its handle
// exactly once, when the owner goes or is given another one.
#include <windows.h>

#include <utility>

namespace velmora::win32 {

// One handle of the kind Traits describes: its type, its "none" value, how it
// is checked and closed.
template <class Traits>
class Owned {
public:
    using Type = typename Traits::Type;

    Owned() = default;
    explicit Owned(Type handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type Get() const { return handle_; }
    explicit operator bool() const { return Traits::Valid(handle_); }
    void Reset(Type handle = Traits::kNone) {
        const Type old = std::exchange(handle_, handle);
        if (Traits::Valid(old)) Traits::Close(old);
    }
    [[nodiscard]] Type Release() { return std::exchange(handle_, Traits::kNone); }

private:
    Type handle_ = Traits::kNone;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static constexpr Type kNone = nullptr;
    // Files say "none" with INVALID_HANDLE_VALUE, the other kernel objects with NULL.
    static bool Valid(Type handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

template <class Object>
struct GdiObjectTraits {
    using Type = Object;
    static constexpr Type kNone = nullptr;
    static bool Valid(Type handle) { return handle != nullptr; }
    static void Close(Type handle) { DeleteObject(handle); }
};

using UniqueHandle = Owned<KernelHandleTraits>;
using UniqueFont = Owned<GdiObjectTraits<HFONT>>;
using UniqueBrush = Owned<GdiObjectTraits<HBRUSH>>;

// A window's device context from GetDC (the screen's for no window), given
// back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace velmora::win32
