#pragma once

// Mouse messages in the form events' terms: buttons 1 left, 2 right, 4
// middle; shift 1 Shift, 2 Ctrl, 4 Alt.
#include <windows.h>

#include "platform/MainWindow.h"

namespace velmora::win32 {

inline int ButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return platform::kButtonLeft;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return platform::kButtonRight;
        default:
            return 4;
    }
}

inline int ButtonsHeld(WPARAM keys) {
    int buttons = 0;
    if (keys & MK_LBUTTON) buttons |= platform::kButtonLeft;
    if (keys & MK_RBUTTON) buttons |= platform::kButtonRight;
    if (keys & MK_MBUTTON) buttons |= 4;
    return buttons;
}

// A mouse message's keys carry no Alt: it is read from the keyboard.
inline int ShiftFromMouse(WPARAM keys) {
    int shift = 0;
    if (keys & MK_SHIFT) shift |= platform::kShiftKey;
    if (keys & MK_CONTROL) shift |= platform::kCtrlKey;
    if (GetKeyState(VK_MENU) < 0) shift |= platform::kAltKey;
    return shift;
}

}  // namespace velmora::win32
