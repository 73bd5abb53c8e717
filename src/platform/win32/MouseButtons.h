#pragma once

// Mouse messages in the form events' terms: the buttons held as bits, 1 left, 2 right, 4 middle, and the two extra
// buttons after them; shift 1 Shift, 2 Ctrl, 4 Alt.
#include <windows.h>

#include "platform/MainWindow.h"

namespace velmora::win32 {

inline constexpr int kButtonX1 = 8;
inline constexpr int kButtonX2 = 16;

// Every button a mouse message's keys say is down: for a press, the one pressed with those already held, so that
// a right press while the left is held is 3, not 2.
inline int ButtonsHeld(WPARAM keys) {
    int buttons = 0;
    if (keys & MK_LBUTTON) buttons |= platform::kButtonLeft;
    if (keys & MK_RBUTTON) buttons |= platform::kButtonRight;
    if (keys & MK_MBUTTON) buttons |= platform::kButtonMiddle;
    if (keys & MK_XBUTTON1) buttons |= kButtonX1;
    if (keys & MK_XBUTTON2) buttons |= kButtonX2;
    return buttons;
}

// The button a release message lets go of (its keys no longer hold it).
inline int ButtonReleased(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_LBUTTONUP:
            return platform::kButtonLeft;
        case WM_RBUTTONUP:
            return platform::kButtonRight;
        case WM_MBUTTONUP:
            return platform::kButtonMiddle;
        case WM_XBUTTONUP:
            return GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? kButtonX1 : kButtonX2;
        default:
            return 0;
    }
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
