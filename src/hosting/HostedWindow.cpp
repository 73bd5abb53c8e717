#include "hosting/HostedWindow.h"

#include "base/Twips.h"

namespace velmora::hosting {
namespace {

std::int32_t Room(double area, std::int32_t offset, double twipsPerPixel) {
    // In whole twips first, as the offsets are stored: the extent is a twips length like any other.
    const std::int64_t twips = base::RoundHalfEven(area - static_cast<double>(offset));
    return twips <= 0 ? 0 : base::TwipsToPixels(static_cast<double>(twips), twipsPerPixel);
}

}  // namespace

HostedWindow HostedWindow::Of(platform::WindowManager& windows, platform::WindowHandle handle) {
    if (handle == 0) return {};
    return {handle, windows.GetIdentity(handle)};
}

bool HostedWindow::StillOurs(platform::WindowManager& windows, platform::WindowHandle frame) const {
    return handle != 0 && windows.IsWindow(handle) && windows.GetIdentity(handle) == identity &&
           windows.GetParent(handle) == frame;
}

bool HostedWindow::Answers(platform::WindowManager& windows) const {
    return windows.Responds(handle, kAnswerTimeoutMs);
}

base::PixelRect FitRect(base::TwipsSize area, std::int32_t offsetX, std::int32_t offsetY, double twipsPerPixelX,
                        double twipsPerPixelY) {
    return {base::TwipsToPixels(offsetX, twipsPerPixelX), base::TwipsToPixels(offsetY, twipsPerPixelY),
            Room(area.width, offsetX, twipsPerPixelX), Room(area.height, offsetY, twipsPerPixelY)};
}

bool Pane::Adopt(platform::WindowHandle window) const {
    return windows_.SetParent(window, Frame()) && windows_.GetParent(window) == Frame();
}

void Pane::Fit(const HostedWindow& window) const {
    if (!Holds(window)) return;
    const base::PixelRect target = Target();
    // A window already in its place stays as it is: the answer check and the move would each wait for its thread
    // (every hosted window is fitted after each capture) and change nothing.
    if (windows_.GetWindowRect(window.handle) == target) return;
    if (window.Answers(windows_)) windows_.MoveWindow(window.handle, target);
}

void Pane::Place(platform::WindowHandle window) const { windows_.MoveWindow(window, Target()); }

base::PixelRect Pane::Target() const {
    const base::TwipsRect area = form_.Bounds(platform::HostArea(index_));
    return FitRect({area.width, area.height}, offsetX_, offsetY_, form_.TwipsPerPixelX(), form_.TwipsPerPixelY());
}

}  // namespace velmora::hosting
