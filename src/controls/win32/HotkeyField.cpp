#include "controls/win32/HotkeyField.h"

#include <commctrl.h>

#include "base/Twips.h"
#include "platform/win32/kit/Dpi.h"

namespace velmora::win32 {

HWND CreateHotkeyField(HWND box) {
    INITCOMMONCONTROLSEX classes{8, ICC_HOTKEY_CLASS};
    if (!InitCommonControlsEx(&classes)) InitCommonControls();
    if (!box) return nullptr;
    RECT inner{};
    GetClientRect(box, &inner);
    // The box's inner size is kept in twips; the field is made in pixels.
    const WindowDpi dpi = DpiOfWindow(box);
    const double x = dpi.TwipsPerPixelX();
    const double y = dpi.TwipsPerPixelY();
    const int width = base::TwipsToPixels(base::PixelsToTwips(inner.right, x), x);
    const int height = base::TwipsToPixels(base::PixelsToTwips(inner.bottom, y), y);
    HWND field = CreateWindowExW(0, HOTKEY_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, width, height, box,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!field) return nullptr;
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return field;
}

}  // namespace velmora::win32
