#include "platform/win32/kit/Dpi.h"

#include "base/Twips.h"
#include "platform/win32/kit/Handles.h"

namespace velmora::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricsForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

WindowDpi ScreenDpi() {
    WindowDpi dpi;
    if (const WindowDC screen(nullptr); screen) {
        const int x = GetDeviceCaps(screen.Get(), LOGPIXELSX);
        const int y = GetDeviceCaps(screen.Get(), LOGPIXELSY);
        if (x > 0) dpi.x = static_cast<UINT>(x);
        if (y > 0) dpi.y = static_cast<UINT>(y);
    }
    return dpi;
}

}  // namespace

double WindowDpi::TwipsPerPixelX() const { return base::TwipsPerPixel(x); }
double WindowDpi::TwipsPerPixelY() const { return base::TwipsPerPixel(y); }

WindowDpi DpiOfWindow(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window); dpi > 0) return WindowDpi{dpi, dpi};
    }
    return ScreenDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
    if (auto adjust = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi")) {
        adjust(&rect, style, menu ? TRUE : FALSE, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, exStyle);
    }
}

LOGFONTW MessageFontForDpi(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (auto forDpi = User32Function<MetricsForDpiFn>("SystemParametersInfoForDpi")) {
        if (forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return metrics.lfMessageFont;
    }
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        // The metrics are at the system's DPI.
        const WindowDC screen(nullptr);
        const int systemDpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
        metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), systemDpi);
    } else {
        metrics.lfMessageFont.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
        wcscpy_s(metrics.lfMessageFont.lfFaceName, L"MS UI Gothic");
    }
    return metrics.lfMessageFont;
}

}  // namespace velmora::win32
