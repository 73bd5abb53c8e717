#pragma once

// The DPI a window is shown at, for converting twips to pixels at the
// window-manager edge, and the DPI-aware forms of the user32 functions the
// windows need. The per-monitor functions exist from Windows 10 1607 on; they
// are looked up at run time, so the programs still start where they are
// missing and fall back to the screen's logical DPI.
#include <windows.h>

namespace velmora::win32 {

struct WindowDpi {
    UINT x = 96;
    UINT y = 96;

    // 1440 / DPI of each axis: 15 at 96 DPI.
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;
};

// The window's DPI (its monitor's, through GetDpiForWindow); the screen's
// logical DPI where that function is missing or for no window.
WindowDpi DpiOfWindow(HWND window);

// AdjustWindowRectEx at a DPI (AdjustWindowRectExForDpi where it exists).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, UINT dpi);

// The system's message font at a DPI (SystemParametersInfoForDpi where it
// exists, else the system metrics scaled from the screen's DPI); a 9-point
// "MS UI Gothic" when the metrics cannot be read.
LOGFONTW MessageFontForDpi(UINT dpi);

}  // namespace velmora::win32
