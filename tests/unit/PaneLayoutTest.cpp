#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "shell/PaneLayout.h"

namespace velmora::shell {
namespace {

std::string Text(const base::TwipsRect& r) {
    std::ostringstream out;
    out << r.left << ',' << r.top << ',' << r.width << ',' << r.height;
    return out.str();
}

// The shown frames and bars: "F0 left,top,width,height ... B1 ...".
std::string Shown(const PaneLayout& layout) {
    std::string out;
    for (int pane = 0; pane < PaneLayout::kPaneCount; ++pane)
        if (layout.FrameVisible(pane)) out += " F" + std::to_string(pane) + " " + Text(layout.Frame(pane));
    for (int bar = 0; bar < PaneLayout::kBarCount; ++bar)
        if (layout.SplitBarVisible(bar)) out += " B" + std::to_string(bar) + " " + Text(layout.SplitBar(bar));
    return out.substr(1);
}

// A pane's tab strip and host area; for pane 2 also the launcher box.
std::string Inside(const PaneLayout& layout, int pane) {
    std::string out = Text(layout.TabStrip(pane)) + " " + Text(layout.HostArea(pane));
    return pane == 2 ? out + " " + Text(layout.LauncherBox()) : out;
}

// A window whose frame adds 240 across and 690 down (borders, caption, menu bar).
WindowMetrics Window(double clientWidth, double clientHeight) {
    return {false, {clientWidth + 240, clientHeight + 690}, {clientWidth, clientHeight}};
}

const WindowMetrics kWindow = Window(12000, 6000);

class PaneLayoutTest : public ::testing::Test {
protected:
    void Show(int view, bool applicationPane, const WindowMetrics& window = kWindow) {
        layout_.SelectView(view, window);
        if (applicationPane != layout_.ApplicationPaneChecked()) layout_.ToggleApplicationPane(window);
    }

    std::vector<base::TwipsRect> fitted_;  // pane 0's host area at each fit
    PaneLayout layout_{[this] { fitted_.push_back(layout_.HostArea(0)); }};
};

// At a 12000 x 6000 client area with the bars at their design places (4920, 2880), one after the other: a
// view command re-docks a shown application pane.
TEST_F(PaneLayoutTest, SixLayoutsAndTheCentreCommandInEach) {
    const std::tuple<int, bool, const char*> cases[] = {
        {0, false, "F0 0,0,12000,6000"},
        {1, false, "F0 0,0,4920,6000 F1 4970,0,7030,6000 B0 4920,0,50,6000"},
        {2, false, "F0 0,0,12000,2880 F1 0,2930,12000,3070 B1 0,2880,12000,50"},
        // The application pane docked right beside the one Explorer pane.
        {0, true, "F0 0,0,4920,6000 F2 4970,0,7030,6000 B0 4920,0,50,6000"},
        // Bar 1 spans the width, bar 0 ends at bar 1, the application pane fills the width below.
        {1, true, "F0 0,0,4920,2880 F1 4970,0,7030,2880 F2 0,2930,12000,3070 B0 4920,0,50,2880 B1 0,2880,12000,50"},
        // Bar 0 spans the height, bar 1 only up to bar 0, the application pane fills the height to the right.
        {2, true, "F0 0,0,4920,2880 F1 0,2930,4920,3070 F2 4970,0,7030,6000 B0 4920,0,50,6000 B1 0,2880,4920,50"},
    };
    for (const auto& [view, applicationPane, shown] : cases) {
        SCOPED_TRACE(shown);
        layout_.SetSplitBarPosition(0, 4920);
        layout_.SetSplitBarPosition(1, 2880);
        Show(view, applicationPane);
        EXPECT_EQ(Shown(layout_), shown);
        for (int v = 0; v < PaneLayout::kViewCount; ++v) EXPECT_EQ(layout_.ViewChecked(v), v == view);
        layout_.CentreSplitBars(Window(12001, 6001));  // centres 6000.5 and 3000.5, a hidden bar's too
        EXPECT_EQ(layout_.SplitBarPosition(0), 5975.5);
        EXPECT_EQ(layout_.SplitBarPosition(1), 2975.5);
    }
}

TEST_F(PaneLayoutTest, StartsInTheDesignStateRejectsIndicesOutOfRangeAndFitsAfterEachPaneResize) {
    EXPECT_EQ(Inside(layout_, 0), "0,0,3315,300 0,270,3375,2025");
    EXPECT_EQ(Inside(layout_, 2), "0,0,2160,300 0,300,4335,1995 2160,0,2175,300");
    EXPECT_TRUE(layout_.Layout(kWindow).laidOut);
    EXPECT_EQ(Shown(layout_), "F0 0,0,3375,2295 F1 5280,0,4335,2295 B0 4920,0,50,5415 B1 0,2880,7215,50");
    EXPECT_EQ(fitted_.size(), 1u);  // without a view it only fits
    Show(1, false);
    EXPECT_FALSE(layout_.SelectView(3, kWindow).laidOut);
    EXPECT_FALSE(layout_.SelectView(-1, kWindow).laidOut);
    EXPECT_THROW(layout_.Frame(3), std::out_of_range);
    EXPECT_THROW(layout_.PressSplitBar(2, kLeftButton), std::out_of_range);
    // Pane 0, pane 1, the end of the pass; each pane's inner layout done before its fit.
    fitted_.clear();
    layout_.Layout(Window(12000, 5000));
    ASSERT_EQ(fitted_.size(), 3u);
    EXPECT_EQ(fitted_[0], (base::TwipsRect{0, 270, 4920, 4730}));
}

TEST_F(PaneLayoutTest, StepsWhoseRoomIsMissingAreSkipped) {
    // The docked pane follows the window though bar 1 + 50 is not above the client height; its height stays.
    Show(1, true);
    layout_.Layout(Window(9000, 2900));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, -170, 9000, 3070}));
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4920, 2880}));
    Show(1, false);
    layout_.Layout(Window(4970, 5000));  // too narrow: pane 1 moves beside the bar, keeping its width for now
    EXPECT_EQ(Shown(layout_), "F0 0,0,4920,5000 F1 4970,0,7030,5000 B0 4920,0,50,5000");
    layout_.Layout(Window(10000, 5000));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{4970, 0, 5030, 5000}));
    layout_.SelectView(2, kWindow);
    layout_.Layout(Window(11000, 2900));  // too short in view 2: pane 1 stays as it was
    EXPECT_EQ(Shown(layout_), "F0 0,0,11000,2880 F1 0,2930,12000,3070 B1 0,2880,11000,50");
}

TEST_F(PaneLayoutTest, InnerSizesNeverGoNegative) {
    Show(1, false);
    layout_.SetSplitBarPosition(0, -100);
    layout_.Layout(kWindow);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 0, 6000}));
    EXPECT_EQ(Inside(layout_, 0), "0,0,0,300 0,270,0,5730");
    layout_.SelectView(2, kWindow);
    layout_.SetSplitBarPosition(1, 100);
    layout_.Layout(kWindow);
    EXPECT_EQ(layout_.HostArea(0), (base::TwipsRect{0, 270, 12000, 0}));
    // The application pane narrower than the launcher box keeps its tab strip (4855 wide at 7030).
    layout_.SetSplitBarPosition(0, 4920);
    Show(0, true);
    layout_.SetSplitBarPosition(0, 9950);
    layout_.Layout(Window(12000, 250));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{10000, 0, 2000, 250}));
    EXPECT_EQ(Inside(layout_, 2), "0,0,4855,300 0,300,2000,0 4855,0,2175,300");
}

TEST_F(PaneLayoutTest, AMinimisedWindowIsNotLaidOutAndOneBelowTheMinimumOuterSizeSpringsBackTo500) {
    Show(1, true);
    const std::size_t fitsBefore = fitted_.size();
    const WindowMetrics minimised{true, {2400, 300}, {2000, 0}};
    EXPECT_FALSE(layout_.Layout(minimised).laidOut);
    EXPECT_FALSE(layout_.SelectView(0, minimised).laidOut);
    EXPECT_EQ(fitted_.size(), fitsBefore);
    EXPECT_TRUE(layout_.ViewChecked(0));
    layout_.ToggleApplicationPane(kWindow);  // pane 0 alone from here
    EXPECT_EQ(layout_.Layout({false, {800, 450}, {560, 0}}).outerSize, (base::TwipsSize{800, 500}));
    EXPECT_EQ(layout_.Layout({false, {400, 900}, {160, 210}}).outerSize, (base::TwipsSize{500, 900}));
    const LayoutOutcome outcome = layout_.Layout({false, {300, 400}, {60, 0}});
    ASSERT_EQ(outcome.outerSize, (base::TwipsSize{500, 500}));
    EXPECT_TRUE(outcome.laidOut);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 60, 0}));
    // The resize the caller makes raises the nested pass. The client size is rounded, halves to even.
    EXPECT_EQ(layout_.Layout({false, *outcome.outerSize, {260.5, 109.5}}).outerSize, std::nullopt);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 260, 110}));
}

TEST_F(PaneLayoutTest, OnlyALeftButtonDragsABarAndTheBarMovesAloneUntilTheRelease) {
    Show(1, false);
    const std::size_t before = fitted_.size();
    layout_.PressSplitBar(0, kRightButton | kMiddleButton);
    layout_.DragSplitBar(0, 500, 0, kWindow);
    EXPECT_FALSE(layout_.SplitDragging());
    EXPECT_FALSE(layout_.ReleaseSplitBar(0, kWindow).laidOut);
    layout_.PressSplitBar(0, kRightButton | kLeftButton);
    layout_.DragSplitBar(0, 40, 0, kWindow);
    EXPECT_TRUE(layout_.SplitDragging());
    EXPECT_EQ(layout_.SplitBarColour(0), BarPaint::kShadow);
    EXPECT_EQ(Shown(layout_), "F0 0,0,4920,6000 F1 4970,0,7030,6000 B0 4960,0,50,6000");
    EXPECT_EQ(fitted_.size(), before);
    EXPECT_TRUE(layout_.ReleaseSplitBar(0, kWindow).laidOut);
    EXPECT_FALSE(layout_.SplitDragging());
    EXPECT_EQ(layout_.SplitBarColour(0), BarPaint::kFace);
    EXPECT_EQ(Shown(layout_), "F0 0,0,4960,6000 F1 5010,0,6990,6000 B0 4960,0,50,6000");
    EXPECT_GT(fitted_.size(), before);
}

TEST_F(PaneLayoutTest, ADraggedBarFollowsTheMouseRoundedAndStaysInside) {
    Show(2, false);
    // Bar, mouse offset from the bar's edge, client width, new position.
    // clang-format off
    const std::tuple<int, double, double, double> cases[] = {
        // Grabbed in the middle and dragged up a pixel: the edge jumps under the mouse.
        {1, 25 - 15, 12000, 2880 + 10},
        // Rounded halves to even; kept 150 inside either edge, the upper bound winning in a narrow client area.
        {0, 0.5, 12000, 4920}, {0, 1.5, 12000, 4922}, {0, 100000, 12000.5, 11850},
        {0, -100000, 12000, 150}, {1, 100000, 12000, 5850}, {0, -100000, 100, -50}};
    // clang-format on
    for (const auto& [bar, by, clientWidth, position] : cases) {
        SCOPED_TRACE(position);
        layout_.SetSplitBarPosition(0, 4920);
        layout_.SetSplitBarPosition(1, 2880);
        layout_.PressSplitBar(bar, kLeftButton);
        layout_.DragSplitBar(bar, bar == 0 ? by : 0, bar == 1 ? by : 0, Window(clientWidth, 6000));
        EXPECT_EQ(layout_.SplitBarPosition(bar), position);
    }
}

}  // namespace
}  // namespace velmora::shell
