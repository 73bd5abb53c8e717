#include "controls/win32/WindowDpi.h"

#include "base/Twips.h"

namespace velmora::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; looked up at run time so the programs still start
// where it is missing.
GetDpiForWindowFn LoadGetDpiForWindow() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

WindowDpi DpiOfWindow(HWND window) {
    static const GetDpiForWindowFn getDpiForWindow = LoadGetDpiForWindow();
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window); dpi > 0) return WindowDpi{dpi, dpi};
    }
    WindowDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        int x = GetDeviceCaps(screen, LOGPIXELSX);
        int y = GetDeviceCaps(screen, LOGPIXELSY);
        if (x > 0) dpi.x = static_cast<UINT>(x);
        if (y > 0) dpi.y = static_cast<UINT>(y);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

double TwipsPerPixelX(const WindowDpi& dpi) { return base::TwipsPerPixel(dpi.x); }
double TwipsPerPixelY(const WindowDpi& dpi) { return base::TwipsPerPixel(dpi.y); }

}  // namespace velmora::win32
