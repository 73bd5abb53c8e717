#pragma once

#include <array>
#include <functional>
#include <optional>

#include "base/Geometry.h"

namespace velmora::shell {

// The main window as the layout reads it at the moment of a call, in twips.
struct WindowMetrics {
    bool minimised = false;
    base::TwipsSize outer;   // the whole window: frame, caption and menu bar included
    base::TwipsSize client;  // the client area the panes share
};

// Where the application pane (pane 2) is docked. It starts undocked, at its design place, and is docked by the
// first view or application-pane command that concerns it.
enum class Dock { kNone, kBottom, kRight };

// The colour a split bar is painted in: the button-face colour at rest, the button-shadow colour while dragged.
enum class BarPaint { kFace, kShadow };

// Button bits of a split bar's mouse events.
inline constexpr unsigned kLeftButton = 1;
inline constexpr unsigned kRightButton = 2;
inline constexpr unsigned kMiddleButton = 4;

// What a layout pass tells its caller.
struct LayoutOutcome {
    // False when the pass did nothing at all: the window is minimised, or the command did not run (a drag release
    // without a drag, a view index outside 0..2).
    bool laidOut = false;
    // Set when the window's outer size is below the minimum (500 twips either way): the outer size the window
    // must be given. The pass has still laid out the client area it was handed, so the panes always match the
    // window as it is; the caller resizes the window, and the resize it raises runs the pass again (nested, as
    // the form's own resize event would).
    std::optional<base::TwipsSize> outerSize;
};

// The panes, split bars and view modes of the main window as plain geometry: no window is touched here. The
// Win32 form feeds it the window's events and copies the rectangles, visibility, docking, menu checks and bar
// colours onto its controls.
//
// Indices: pane 0 and 1 are the Explorer panes (picFrame(0), picFrame(1)), pane 2 the application pane
// (picFrame(2)); bar 0 is the vertical split bar picSplitBar1(0) (moves left and right, its position is its left
// edge), bar 1 the horizontal one picSplitBar1(1) (moves up and down, its position is its top edge). An index out
// of range makes the accessors throw std::out_of_range: that is a programming error.
//
// The fit hook, passed in at construction, is called whenever the hosted windows must be fitted to their host
// areas now (FitHostedWindows): after a pane's size changed and its inner layout has been recomputed, and at the
// end of every layout pass that was not skipped. When it is called the model already holds the new rectangles;
// the simplest caller copies all of them onto the controls and then fits the hosted windows. The hook must not
// call back into the commands or event handlers of this class.
class PaneLayout {
public:
    static constexpr int kPaneCount = 3;
    static constexpr int kBarCount = 2;
    static constexpr int kViewCount = 3;
    // The client area the form is designed at.
    static constexpr base::TwipsSize kDesignClient{12285, 6525};

    // Starts in the design state: frames 0 and 1 shown, frame 2 hidden and undocked, bars at 4920 and 2880,
    // no view checked, the application pane unchecked, no drag.
    explicit PaneLayout(std::function<void()> fitHostedWindows);
    PaneLayout(const PaneLayout&) = delete;
    PaneLayout& operator=(const PaneLayout&) = delete;

    // --- State for the form to show -------------------------------------------------------------------------

    // picFrame(pane), relative to the client area.
    const base::TwipsRect& Frame(int pane) const { return frames_.at(pane); }
    bool FrameVisible(int pane) const { return frameVisible_.at(pane); }
    Dock ApplicationPaneDock() const { return dock_; }

    // picSplitBar1(bar): 50 twips thick; bar 0's top and bar 1's left are always 0.
    const base::TwipsRect& SplitBar(int bar) const { return bars_.at(bar); }
    bool SplitBarVisible(int bar) const { return barVisible_.at(bar); }
    BarPaint SplitBarColour(int bar) const { return barPaint_.at(bar); }

    // Inside picFrame(pane), relative to the frame: TabStrip1(0), TabStrip1(1) or TabStrip2 (height 300) ...
    const base::TwipsRect& TabStrip(int pane) const { return inner_.at(pane).tabStrip; }
    // ... and frameApp(pane), where the hosted window lives.
    const base::TwipsRect& HostArea(int pane) const { return inner_.at(pane).hostArea; }
    // cboApp, inside picFrame(2): 2175 wide, at the right end of the tab strip.
    const base::TwipsRect& LauncherBox() const { return launcherBox_; }

    // The View menu: mnu4View(view) and mnu3View.
    bool ViewChecked(int view) const { return viewChecked_.at(view); }
    bool ApplicationPaneChecked() const { return appPaneChecked_; }

    // True from a left-button press on a split bar until the release has laid out the panes.
    bool SplitDragging() const { return dragging_; }

    // --- Restoring and saving ---------------------------------------------------------------------------------

    // Left edge of bar 0 or top edge of bar 1 (saved as Bar1 and Bar2).
    double SplitBarPosition(int bar) const;
    // Moves a bar without laying anything out; the restore sets the saved positions before the first view is
    // selected, and that lays the panes out.
    void SetSplitBarPosition(int bar, double position);

    // --- Events and commands ---------------------------------------------------------------------------------

    // The layout pass: the form's resize event. Minimised: nothing at all. Otherwise the panes are laid out for
    // the checked view (none checked: only the docking of pane 2 follows the client area) and the fit hook runs
    // last. The split bars are never moved by the pass.
    LayoutOutcome Layout(const WindowMetrics& window);

    // The view command, view 0 (one pane), 1 (side by side) or 2 (one above the other): shows pane 1 for views 1
    // and 2, checks that view alone, re-docks a shown application pane, lays out.
    LayoutOutcome SelectView(int view, const WindowMetrics& window);

    // The application-pane command: toggles the pane, docks it at the bottom in view 1 and at the right
    // otherwise (also when it was just hidden), lays out. Docking takes effect in that pass.
    LayoutOutcome ToggleApplicationPane(const WindowMetrics& window);

    // The centre command: both bars' centres to the middle of the client area, the hidden ones too; lays out.
    LayoutOutcome CentreSplitBars(const WindowMetrics& window);

    // Split-bar drag. `buttons` holds the k*Button bits. x and y are the mouse position relative to the bar's
    // top-left corner as this model holds it, in twips. The caller keeps the mouse captured from the press until
    // the release so that moves outside the bar still arrive.
    // Press: starts a drag only if the left button is among the pressed ones; the bar turns to the shadow colour.
    void PressSplitBar(int bar, unsigned buttons);
    // Move during a drag: only the bar moves, to the mouse, kept 150 twips inside the client area; the panes
    // stay until the release.
    void DragSplitBar(int bar, double x, double y, const WindowMetrics& window);
    // Release of any button during a drag: face colour again, layout pass, drag over. Without a drag: nothing.
    LayoutOutcome ReleaseSplitBar(int bar, const WindowMetrics& window);

private:
    struct Inner {
        base::TwipsRect tabStrip;
        base::TwipsRect hostArea;
    };

    void PlaceFrame(int pane, base::TwipsRect rect);
    base::TwipsRect Docked(base::TwipsRect frame, double clientWidth, double clientHeight) const;
    void SetApplicationPaneExtent(double extent, double clientWidth, double clientHeight);
    void LayOutInner(int pane);
    void LayOutView(int view, double w, double h);
    void Fit();

    std::function<void()> fitHostedWindows_;
    std::array<base::TwipsRect, kPaneCount> frames_;
    std::array<bool, kPaneCount> frameVisible_;
    std::array<Inner, kPaneCount> inner_;
    base::TwipsRect launcherBox_;
    Dock dock_ = Dock::kNone;
    std::array<base::TwipsRect, kBarCount> bars_;
    std::array<bool, kBarCount> barVisible_;
    std::array<BarPaint, kBarCount> barPaint_;
    std::array<bool, kViewCount> viewChecked_{};
    bool appPaneChecked_ = false;
    bool dragging_ = false;
};

}  // namespace velmora::shell
