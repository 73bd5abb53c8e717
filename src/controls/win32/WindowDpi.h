#pragma once

// The DPI a window is shown at, for converting twips to pixels at the
// window-manager edge.
#include <windows.h>

namespace velmora::win32 {

struct WindowDpi {
    UINT x = 96;
    UINT y = 96;
};

// The window's DPI (per monitor, through GetDpiForWindow where the system has
// it); the screen's logical DPI on older systems.
WindowDpi DpiOfWindow(HWND window);

// 1440 / DPI of each axis: 15 at 96 DPI.
double TwipsPerPixelX(const WindowDpi& dpi);
double TwipsPerPixelY(const WindowDpi& dpi);

}  // namespace velmora::win32
