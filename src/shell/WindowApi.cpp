#include "shell/WindowApi.h"

#include "base/Twips.h"

namespace velmora::shell {

void MoveWindowTwips(platform::WindowManager& windows, platform::MainWindow& form, platform::WindowHandle window,
                     std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    const double x = form.TwipsPerPixelX();
    const double y = form.TwipsPerPixelY();
    windows.MoveWindow(window, base::PixelRect{base::TwipsToPixels(left, x), base::TwipsToPixels(top, y),
                                                   base::TwipsToPixels(width, x), base::TwipsToPixels(height, y)});
}

}  // namespace velmora::shell
