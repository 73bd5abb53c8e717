#pragma once

// modCreateCtl: the platform's hotkey field, made inside a host box.
#include <windows.h>

namespace velmora::win32 {

// Creates the native hotkey field (msctls_hotkey32) filling the box's inner
// area; nullptr when it cannot be made.
HWND CreateHotkeyField(HWND box);

}  // namespace velmora::win32
