#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Types.h"

namespace velmora::win32 {

// Window handles cross the portable code as plain numbers.
inline HWND ToHwnd(platform::WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}
inline platform::WindowHandle FromHwnd(HWND window) {
    return static_cast<platform::WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace velmora::win32
