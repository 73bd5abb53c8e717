#pragma once

#include <cstdint>

#include "base/Geometry.h"
#include "platform/MainWindow.h"
#include "platform/WindowManager.h"

namespace velmora::hosting {

// How long a hosted window gets to answer before we stop short of calls that would wait for it.
inline constexpr std::uint32_t kAnswerTimeoutMs = 500;

// A window of another program held in one of our frames, and who created it: the handle number alone may name a
// stranger's window once ours is gone.
struct HostedWindow {
    platform::WindowHandle handle = 0;
    platform::WindowIdentity identity;

    bool operator==(const HostedWindow&) const = default;

    // The window as it is now; empty for handle 0.
    static HostedWindow Of(platform::WindowManager& windows, platform::WindowHandle handle);

    // Still the window we took (not a stranger that got its handle number), and still inside frame: the one rule
    // every call into a hosted window is guarded by.
    bool StillOurs(platform::WindowManager& windows, platform::WindowHandle frame) const;
    // Re-parenting and moving another thread's window wait for that thread; one that does not answer would freeze
    // ours.
    bool Answers(platform::WindowManager& windows) const;
};

// Where a hosted window goes inside a host area, in pixels: the offsets move only its top-left corner, so its right
// and bottom edges meet the area's whatever the user pushed out of sight; an area smaller than its offsets leaves
// no room rather than a negative size. Each length is converted on its own, halves to even.
base::PixelRect FitRect(base::TwipsSize area, std::int32_t offsetX, std::int32_t offsetY, double twipsPerPixelX,
                        double twipsPerPixelY);

// frameApp(index) of a pane with its offsets (paneOffsetX, paneOffsetY, section "pos"): what the Explorer panes and
// the application pane share.
class Pane {
public:
    Pane(platform::MainWindow& form, platform::WindowManager& windows, int index)
        : form_(form), windows_(windows), index_(index) {}

    int Index() const { return index_; }
    // The window hosted windows are re-parented into.
    platform::WindowHandle Frame() const { return form_.FrameWindow(index_); }
    void SetOffsets(std::int32_t x, std::int32_t y) {
        offsetX_ = x;
        offsetY_ = y;
    }
    std::int32_t OffsetX() const { return offsetX_; }
    std::int32_t OffsetY() const { return offsetY_; }

    bool Holds(const HostedWindow& window) const { return window.StillOurs(windows_, Frame()); }
    // Takes the window into the frame; false when the platform refused (a program with higher rights than ours)
    // or the window did not end up there.
    bool Adopt(platform::WindowHandle window) const;
    // Places a window we hold at the frame's current size and DPI. A window that no longer answers is left where
    // it is, and so is one already in its place.
    void Fit(const HostedWindow& window) const;
    // Places a window by the rule of FitRect, answered or not (a window that was just taken in).
    void Place(platform::WindowHandle window) const;

private:
    // Where a hosted window goes now, in the frame's pixels.
    base::PixelRect Target() const;

    platform::MainWindow& form_;
    platform::WindowManager& windows_;
    int index_;
    std::int32_t offsetX_ = 0;
    std::int32_t offsetY_ = 0;
};

}  // namespace velmora::hosting
