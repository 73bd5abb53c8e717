#pragma once

#include <windows.h>

#include <cstdint>

namespace velmora::win32 {

// Window handles cross the portable code as plain 64-bit numbers
// (platform::WindowHandle); the kit spells the type itself so that it needs
// nothing of the contracts.
inline HWND ToHwnd(std::uint64_t window) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }
inline std::uint64_t FromHwnd(HWND window) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace velmora::win32
