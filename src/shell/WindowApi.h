#pragma once

#include <cstdint>

#include "platform/MainWindow.h"
#include "platform/WindowManager.h"

namespace velmora::shell {

// Places a hosted window inside its parent, given in twips: each value is
// converted to whole pixels (halves to even) with the main window's current
// twips per pixel, read at each call so that a DPI change is followed.
void MoveWindowTwips(platform::WindowManager& windows, platform::MainWindow& form, platform::WindowHandle window,
                     std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

}  // namespace velmora::shell
