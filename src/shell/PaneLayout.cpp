#include "shell/PaneLayout.h"

#include <algorithm>
#include <utility>

#include "base/Twips.h"

namespace velmora::shell {

namespace {

constexpr double kBarThickness = 50;
constexpr double kMinimumOuterSize = 500;
// A dragged bar stays this far inside the client area.
constexpr double kDragMargin = 150;
constexpr double kTabStripHeight = 300;
// The Explorer tab strip stops short of the frame's right edge; its host area starts under the strip's tabs
// and so overlaps the strip's lower 30 twips.
constexpr double kExplorerTabStripInset = 60;
constexpr double kExplorerHostTop = 270;
constexpr double kApplicationHostTop = 300;
constexpr double kLauncherWidth = 2175;

double Whole(double twips) { return static_cast<double>(base::RoundHalfEven(twips)); }

// A pane or bar too small for its fixed parts would get a negative size, which no control can take.
double NonNegative(double extent) { return std::max(extent, 0.0); }

}  // namespace

PaneLayout::PaneLayout(std::function<void()> fitHostedWindows)
    : fitHostedWindows_(std::move(fitHostedWindows)),
      frames_{base::TwipsRect{0, 0, 3375, 2295}, base::TwipsRect{5280, 0, 4335, 2295}, base::TwipsRect{0, 3240, 4335, 2295}},
      frameVisible_{true, true, false},
      bars_{base::TwipsRect{4920, 0, kBarThickness, 5415}, base::TwipsRect{0, 2880, 7215, kBarThickness}},
      barVisible_{true, true},
      barPaint_{BarPaint::kFace, BarPaint::kFace} {
    launcherBox_ = base::TwipsRect{0, 0, kLauncherWidth, kTabStripHeight};
    for (int pane = 0; pane < kPaneCount; ++pane) {
        LayOutInner(pane);
    }
}

double PaneLayout::SplitBarPosition(int bar) const {
    const base::TwipsRect& rect = bars_.at(bar);
    return bar == 0 ? rect.left : rect.top;
}

void PaneLayout::SetSplitBarPosition(int bar, double position) {
    base::TwipsRect& rect = bars_.at(bar);
    (bar == 0 ? rect.left : rect.top) = position;
}

LayoutOutcome PaneLayout::Layout(const WindowMetrics& window) {
    LayoutOutcome outcome;
    if (window.minimised) {
        return outcome;
    }
    outcome.laidOut = true;
    if (window.outer.width < kMinimumOuterSize || window.outer.height < kMinimumOuterSize) {
        outcome.outerSize =
            base::TwipsSize{std::max(window.outer.width, kMinimumOuterSize), std::max(window.outer.height, kMinimumOuterSize)};
    }

    const double w = Whole(window.client.width);
    const double h = Whole(window.client.height);
    // A docked frame follows the client area before the form's own resize handling runs.
    PlaceFrame(2, Docked(frames_[2], w, h));
    for (int view = 0; view < kViewCount; ++view) {
        if (viewChecked_[view]) {
            LayOutView(view, w, h);
            break;
        }
    }
    Fit();
    return outcome;
}

void PaneLayout::LayOutView(int view, double w, double h) {
    base::TwipsRect& bar0 = bars_[0];
    base::TwipsRect& bar1 = bars_[1];
    const double l = bar0.left;
    const double t = bar1.top;
    const bool rightOfBar0Fits = l + kBarThickness < w;
    const bool belowBar1Fits = t + kBarThickness < h;

    if (!appPaneChecked_) {
        switch (view) {
            case 0:
                barVisible_ = {false, false};
                PlaceFrame(0, {0, 0, w, h});
                break;
            case 1:
                barVisible_ = {true, false};
                bar0.height = NonNegative(h);
                PlaceFrame(0, {0, 0, l, h});
                // When the window is narrower than the bar, pane 1 still moves beside the bar but keeps its width
                // until there is room again.
                PlaceFrame(1, {l + kBarThickness, 0, frames_[1].width, h});
                if (rightOfBar0Fits) {
                    PlaceFrame(1, {l + kBarThickness, 0, w - (l + kBarThickness), h});
                }
                break;
            default:
                barVisible_ = {false, true};
                bar1.width = NonNegative(w);
                PlaceFrame(0, {0, 0, w, t});
                if (belowBar1Fits) {
                    PlaceFrame(1, {0, t + kBarThickness, w, h - (t + kBarThickness)});
                }
                break;
        }
        return;
    }

    switch (view) {
        case 0:
            barVisible_ = {true, false};
            bar0.height = NonNegative(h);
            PlaceFrame(0, {0, 0, l, h});
            if (rightOfBar0Fits) {
                SetApplicationPaneExtent(w - (l + kBarThickness), w, h);
            }
            break;
        case 1:
            barVisible_ = {true, true};
            bar0.height = NonNegative(t);
            bar1.width = NonNegative(w);
            PlaceFrame(0, {0, 0, l, t});
            if (rightOfBar0Fits) {
                PlaceFrame(1, {l + kBarThickness, 0, w - (l + kBarThickness), t});
            }
            if (belowBar1Fits) {
                SetApplicationPaneExtent(h - (t + kBarThickness), w, h);
            }
            break;
        default:
            barVisible_ = {true, true};
            bar0.height = NonNegative(h);
            bar1.width = NonNegative(l);
            PlaceFrame(0, {0, 0, l, t});
            if (rightOfBar0Fits) {
                SetApplicationPaneExtent(w - (l + kBarThickness), w, h);
            }
            if (belowBar1Fits) {
                PlaceFrame(1, {0, t + kBarThickness, l, h - (t + kBarThickness)});
            }
            break;
    }
}

LayoutOutcome PaneLayout::SelectView(int view, const WindowMetrics& window) {
    if (view < 0 || view >= kViewCount) {
        return {};
    }
    frameVisible_[1] = view >= 1;
    viewChecked_ = {};
    viewChecked_[view] = true;
    if (appPaneChecked_) {
        dock_ = view == 1 ? Dock::kBottom : Dock::kRight;
    }
    return Layout(window);
}

LayoutOutcome PaneLayout::ToggleApplicationPane(const WindowMetrics& window) {
    appPaneChecked_ = !appPaneChecked_;
    frameVisible_[2] = appPaneChecked_;
    dock_ = viewChecked_[1] ? Dock::kBottom : Dock::kRight;
    return Layout(window);
}

LayoutOutcome PaneLayout::CentreSplitBars(const WindowMetrics& window) {
    bars_[0].left = window.client.width / 2 - kBarThickness / 2;
    bars_[1].top = window.client.height / 2 - kBarThickness / 2;
    return Layout(window);
}

void PaneLayout::PressSplitBar(int bar, unsigned buttons) {
    BarPaint& paint = barPaint_.at(bar);
    if ((buttons & kLeftButton) != 0) {
        dragging_ = true;
        paint = BarPaint::kShadow;
    }
}

void PaneLayout::DragSplitBar(int bar, double x, double y, const WindowMetrics& window) {
    const double position = SplitBarPosition(bar);
    if (!dragging_) {
        return;
    }
    const double client = bar == 0 ? window.client.width : window.client.height;
    double p = Whole(position + (bar == 0 ? x : y));
    // The lower bound first, the upper one last: in a client area under 300 twips the upper bound wins, so a
    // bar in a tiny window is pushed toward the top left rather than past the right or bottom edge.
    if (p < kDragMargin) {
        p = kDragMargin;
    }
    if (p > client - kDragMargin) {
        p = Whole(client - kDragMargin);
    }
    SetSplitBarPosition(bar, p);
}

LayoutOutcome PaneLayout::ReleaseSplitBar(int bar, const WindowMetrics& window) {
    BarPaint& paint = barPaint_.at(bar);
    if (!dragging_) {
        return {};
    }
    paint = BarPaint::kFace;
    LayoutOutcome outcome = Layout(window);
    dragging_ = false;
    return outcome;
}

void PaneLayout::PlaceFrame(int pane, base::TwipsRect rect) {
    rect.width = NonNegative(rect.width);
    rect.height = NonNegative(rect.height);
    base::TwipsRect& frame = frames_[pane];
    const bool resized = rect.width != frame.width || rect.height != frame.height;
    frame = rect;
    // Like a control's resize event, only a change of size re-lays the pane's inside; a move does not.
    if (resized) {
        LayOutInner(pane);
        Fit();
    }
}

base::TwipsRect PaneLayout::Docked(base::TwipsRect frame, double clientWidth, double clientHeight) const {
    switch (dock_) {
        case Dock::kBottom:
            return {0, clientHeight - frame.height, clientWidth, frame.height};
        case Dock::kRight:
            return {clientWidth - frame.width, 0, frame.width, clientHeight};
        case Dock::kNone:
            break;
    }
    return frame;
}

void PaneLayout::SetApplicationPaneExtent(double extent, double clientWidth, double clientHeight) {
    // Only the extent away from the docked edge is the layout's to set; the rest follows the dock.
    base::TwipsRect frame = frames_[2];
    (dock_ == Dock::kBottom ? frame.height : frame.width) = extent;
    PlaceFrame(2, Docked(frame, clientWidth, clientHeight));
}

void PaneLayout::LayOutInner(int pane) {
    const base::TwipsRect& frame = frames_[pane];
    Inner& inner = inner_[pane];
    if (pane < 2) {
        inner.tabStrip = {0, 0, NonNegative(frame.width - kExplorerTabStripInset), kTabStripHeight};
        inner.hostArea = {0, kExplorerHostTop, frame.width, NonNegative(frame.height - kExplorerHostTop)};
        return;
    }
    // A pane narrower than the launcher box leaves the tab strip as it was: the box then overlaps it.
    if (frame.width > kLauncherWidth) {
        inner.tabStrip = {0, 0, frame.width - kLauncherWidth, kTabStripHeight};
    }
    launcherBox_.left = inner.tabStrip.width;
    inner.hostArea = {0, kApplicationHostTop, frame.width, NonNegative(frame.height - kApplicationHostTop)};
}

void PaneLayout::Fit() {
    if (fitHostedWindows_) {
        fitHostedWindows_();
    }
}

}  // namespace velmora::shell
