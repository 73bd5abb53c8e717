#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "shell/PaneLayout.h"

namespace velmora::shell {

void PrintTo(const base::TwipsRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << ")";
}

void PrintTo(const base::TwipsSize& s, std::ostream* os) { *os << s.width << " x " << s.height; }

namespace {

// A window whose frame adds 240 across and 690 down (borders, caption, menu bar).
WindowMetrics Window(double clientWidth, double clientHeight) {
    return {false, {clientWidth + 240, clientHeight + 690}, {clientWidth, clientHeight}};
}

const WindowMetrics kWindow = Window(12000, 6000);

class PaneLayoutTest : public ::testing::Test {
protected:
    void Show(int view, bool applicationPane, const WindowMetrics& window = kWindow) {
        layout_.SelectView(view, window);
        if (applicationPane) {
            layout_.ToggleApplicationPane(window);
        }
    }

    int fits_ = 0;
    std::vector<base::TwipsRect> hostAreaAtFit_;
    PaneLayout layout_{[this] {
        ++fits_;
        hostAreaAtFit_.push_back(layout_.HostArea(0));
    }};
};

// --- The six layouts, at a 12000 x 6000 client area with the bars at their design places (4920, 2880) ---------

struct LayoutCase {
    int view;
    bool applicationPane;
    base::TwipsRect frame0;
    std::optional<base::TwipsRect> frame1;  // nullopt: hidden
    std::optional<base::TwipsRect> frame2;
    std::optional<base::TwipsRect> bar0;
    std::optional<base::TwipsRect> bar1;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << "view " << c.view << (c.applicationPane ? " with" : " without") << " application pane";
}

class PaneLayoutModesTest : public PaneLayoutTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PaneLayoutModesTest, LaysOutFramesAndBars) {
    const LayoutCase& c = GetParam();
    Show(c.view, c.applicationPane);

    for (int view = 0; view < PaneLayout::kViewCount; ++view) {
        EXPECT_EQ(layout_.ViewChecked(view), view == c.view);
    }
    EXPECT_EQ(layout_.ApplicationPaneChecked(), c.applicationPane);
    EXPECT_EQ(layout_.Frame(0), c.frame0);
    const std::optional<base::TwipsRect> frames[] = {c.frame0, c.frame1, c.frame2};
    for (int pane = 1; pane < PaneLayout::kPaneCount; ++pane) {
        EXPECT_EQ(layout_.FrameVisible(pane), frames[pane].has_value()) << "pane " << pane;
        if (frames[pane]) {
            EXPECT_EQ(layout_.Frame(pane), *frames[pane]) << "pane " << pane;
        }
    }
    const std::optional<base::TwipsRect> bars[] = {c.bar0, c.bar1};
    for (int bar = 0; bar < PaneLayout::kBarCount; ++bar) {
        EXPECT_EQ(layout_.SplitBarVisible(bar), bars[bar].has_value()) << "bar " << bar;
        if (bars[bar]) {
            EXPECT_EQ(layout_.SplitBar(bar), *bars[bar]) << "bar " << bar;
        }
    }
}

TEST_P(PaneLayoutModesTest, CentreCommandCentresBothBarsEvenTheHiddenOne) {
    const LayoutCase& c = GetParam();
    Show(c.view, c.applicationPane);

    layout_.CentreSplitBars(Window(12001, 6001));

    // Centres at 6000.5 and 3000.5.
    EXPECT_EQ(layout_.SplitBarPosition(0), 5975.5);
    EXPECT_EQ(layout_.SplitBarPosition(1), 2975.5);
}

constexpr std::nullopt_t kHidden = std::nullopt;

// clang-format off
INSTANTIATE_TEST_SUITE_P(AllModes, PaneLayoutModesTest, ::testing::Values(
    //         view, app, frame 0, frame 1, frame 2,
    //         bar 0, bar 1
    LayoutCase{0, false, {0, 0, 12000, 6000}, kHidden, kHidden,
               kHidden, kHidden},
    LayoutCase{1, false, {0, 0, 4920, 6000}, base::TwipsRect{4970, 0, 7030, 6000}, kHidden,
               base::TwipsRect{4920, 0, 50, 6000}, kHidden},
    LayoutCase{2, false, {0, 0, 12000, 2880}, base::TwipsRect{0, 2930, 12000, 3070}, kHidden,
               kHidden, base::TwipsRect{0, 2880, 12000, 50}},
    // The application pane docked right beside the one Explorer pane.
    LayoutCase{0, true, {0, 0, 4920, 6000}, kHidden, base::TwipsRect{4970, 0, 7030, 6000},
               base::TwipsRect{4920, 0, 50, 6000}, kHidden},
    // Bar 1 spans the width, bar 0 ends at bar 1, the application pane fills the width below.
    LayoutCase{1, true, {0, 0, 4920, 2880}, base::TwipsRect{4970, 0, 7030, 2880}, base::TwipsRect{0, 2930, 12000, 3070},
               base::TwipsRect{4920, 0, 50, 2880}, base::TwipsRect{0, 2880, 12000, 50}},
    // Bar 0 spans the height, bar 1 only up to bar 0, the application pane fills the height to the right.
    LayoutCase{2, true, {0, 0, 4920, 2880}, base::TwipsRect{0, 2930, 4920, 3070}, base::TwipsRect{4970, 0, 7030, 6000},
               base::TwipsRect{4920, 0, 50, 6000}, base::TwipsRect{0, 2880, 4920, 50}}));
// clang-format on

// --- State before and between the commands ------------------------------------------------------------------

TEST_F(PaneLayoutTest, StartsInTheDesignStateAndWithoutAViewOnlyFits) {
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 3375, 2295}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{5280, 0, 4335, 2295}));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, 3240, 4335, 2295}));
    EXPECT_FALSE(layout_.FrameVisible(2));
    EXPECT_EQ(layout_.SplitBar(0), (base::TwipsRect{4920, 0, 50, 5415}));
    EXPECT_EQ(layout_.SplitBar(1), (base::TwipsRect{0, 2880, 7215, 50}));
    EXPECT_EQ(layout_.ApplicationPaneDock(), Dock::kNone);
    EXPECT_EQ(layout_.TabStrip(0), (base::TwipsRect{0, 0, 3315, 300}));
    EXPECT_EQ(layout_.HostArea(1), (base::TwipsRect{0, 270, 4335, 2025}));
    EXPECT_EQ(layout_.LauncherBox(), (base::TwipsRect{2160, 0, 2175, 300}));

    const LayoutOutcome outcome = layout_.Layout(kWindow);

    EXPECT_TRUE(outcome.laidOut);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 3375, 2295}));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, 3240, 4335, 2295}));
    EXPECT_EQ(fits_, 1);
}

TEST_F(PaneLayoutTest, RestoredBarPositionsAreUsedByTheFirstView) {
    layout_.SetSplitBarPosition(0, 3000);
    layout_.SetSplitBarPosition(1, 2000);
    EXPECT_EQ(fits_, 0);

    Show(2, true);

    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 3000, 2000}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{0, 2050, 3000, 3950}));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{3050, 0, 8950, 6000}));
}

TEST_F(PaneLayoutTest, InnerLayoutOfEachPane) {
    Show(1, true);

    EXPECT_EQ(layout_.TabStrip(0), (base::TwipsRect{0, 0, 4860, 300}));
    EXPECT_EQ(layout_.HostArea(0), (base::TwipsRect{0, 270, 4920, 2610}));
    EXPECT_EQ(layout_.TabStrip(1), (base::TwipsRect{0, 0, 6970, 300}));
    EXPECT_EQ(layout_.TabStrip(2), (base::TwipsRect{0, 0, 9825, 300}));
    EXPECT_EQ(layout_.LauncherBox(), (base::TwipsRect{9825, 0, 2175, 300}));
    EXPECT_EQ(layout_.HostArea(2), (base::TwipsRect{0, 300, 12000, 2770}));
}

TEST_F(PaneLayoutTest, SwitchingTheApplicationPaneOffInViewTwoWidensTheStackedPanes) {
    Show(2, true);

    layout_.ToggleApplicationPane(kWindow);

    EXPECT_FALSE(layout_.FrameVisible(2));
    EXPECT_EQ(layout_.ApplicationPaneDock(), Dock::kRight);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 12000, 2880}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{0, 2930, 12000, 3070}));
    EXPECT_FALSE(layout_.SplitBarVisible(0));
}

TEST_F(PaneLayoutTest, ChangingTheViewRedocksTheApplicationPane) {
    Show(2, true);

    layout_.SelectView(1, kWindow);
    EXPECT_EQ(layout_.ApplicationPaneDock(), Dock::kBottom);
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, 2930, 12000, 3070}));

    layout_.SelectView(0, kWindow);
    EXPECT_EQ(layout_.ApplicationPaneDock(), Dock::kRight);
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{4970, 0, 7030, 6000}));
    EXPECT_FALSE(layout_.FrameVisible(1));
}

TEST_F(PaneLayoutTest, DockedPaneFollowsTheWindowEvenWhenItsGuardFails) {
    Show(1, true);

    // T + 50 is not below 3000: the height stays, but the docked edge and span follow the window.
    layout_.Layout(Window(9000, 2900));

    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, -170, 9000, 3070}));
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4920, 2880}));
}

// --- The guarded steps ----------------------------------------------------------------------------------------

TEST_F(PaneLayoutTest, NarrowWindowInViewOneMovesPaneTwoButKeepsItsWidthUntilThereIsRoom) {
    Show(1, false);

    layout_.Layout(Window(4000, 5000));
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4920, 5000}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{4970, 0, 7030, 5000}));

    layout_.Layout(Window(10000, 5000));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{4970, 0, 5030, 5000}));
}

TEST_F(PaneLayoutTest, ShortWindowInViewTwoLeavesPaneTwoAsItWas) {
    Show(2, false);

    layout_.Layout(Window(11000, 2900));

    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 11000, 2880}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{0, 2930, 12000, 3070}));
}

TEST_F(PaneLayoutTest, InnerSizesNeverGoNegative) {
    Show(1, false);
    layout_.SetSplitBarPosition(0, 30);
    layout_.Layout(kWindow);
    EXPECT_EQ(layout_.TabStrip(0), (base::TwipsRect{0, 0, 0, 300}));

    layout_.SetSplitBarPosition(0, -100);
    layout_.Layout(kWindow);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 0, 6000}));
    EXPECT_EQ(layout_.HostArea(0), (base::TwipsRect{0, 270, 0, 5730}));

    layout_.SelectView(2, kWindow);
    layout_.SetSplitBarPosition(1, 100);
    layout_.Layout(kWindow);
    EXPECT_EQ(layout_.HostArea(0), (base::TwipsRect{0, 270, 12000, 0}));
}

TEST_F(PaneLayoutTest, NarrowApplicationPaneKeepsItsTabStripAndClampsItsHostArea) {
    Show(0, true);  // application pane 7030 wide: tab strip 4855
    layout_.SetSplitBarPosition(0, 9950);
    layout_.Layout(Window(12000, 250));

    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{10000, 0, 2000, 250}));
    EXPECT_EQ(layout_.TabStrip(2), (base::TwipsRect{0, 0, 4855, 300}));
    EXPECT_EQ(layout_.LauncherBox(), (base::TwipsRect{4855, 0, 2175, 300}));
    EXPECT_EQ(layout_.HostArea(2), (base::TwipsRect{0, 300, 2000, 0}));
}

// --- Window states ---------------------------------------------------------------------------------------------

TEST_F(PaneLayoutTest, MinimisedWindowIsNotLaidOut) {
    Show(1, true);
    const int fitsBefore = fits_;
    WindowMetrics minimised = Window(2000, 0);
    minimised.minimised = true;
    minimised.outer = {2400, 300};

    EXPECT_FALSE(layout_.Layout(minimised).laidOut);
    EXPECT_FALSE(layout_.SelectView(2, minimised).laidOut);

    EXPECT_EQ(fits_, fitsBefore);
    EXPECT_TRUE(layout_.ViewChecked(2));
    EXPECT_EQ(layout_.ApplicationPaneDock(), Dock::kRight);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4920, 2880}));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, 2930, 12000, 3070}));

    layout_.Layout(kWindow);  // restored
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{4970, 0, 7030, 6000}));
}

TEST_F(PaneLayoutTest, WindowBelowTheMinimumOuterSizeSpringsBackTo500) {
    Show(0, false);

    EXPECT_EQ(layout_.Layout(kWindow).outerSize, std::nullopt);
    EXPECT_EQ(layout_.Layout({false, {800, 450}, {560, 0}}).outerSize, (base::TwipsSize{800, 500}));
    EXPECT_EQ(layout_.Layout({false, {400, 900}, {160, 210}}).outerSize, (base::TwipsSize{500, 900}));
    const LayoutOutcome outcome = layout_.Layout({false, {300, 400}, {60, 0}});
    ASSERT_EQ(outcome.outerSize, (base::TwipsSize{500, 500}));
    EXPECT_TRUE(outcome.laidOut);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 60, 0}));

    // The resize the caller makes raises the nested pass.
    EXPECT_EQ(layout_.Layout({false, *outcome.outerSize, {260, 110}}).outerSize, std::nullopt);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 260, 110}));
}

TEST_F(PaneLayoutTest, ClientSizeIsRoundedHalvesToEven) {
    Show(0, false);
    layout_.Layout(Window(1000.5, 801.5));
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 1000, 802}));
}

TEST_F(PaneLayoutTest, FourKClientArea) {
    const WindowMetrics window = Window(57600, 32400);
    Show(1, true, window);
    layout_.CentreSplitBars(window);

    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 28775, 16175}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{28825, 0, 28775, 16175}));
    EXPECT_EQ(layout_.Frame(2), (base::TwipsRect{0, 16225, 57600, 16175}));
    EXPECT_EQ(layout_.HostArea(2), (base::TwipsRect{0, 300, 57600, 15875}));

    layout_.PressSplitBar(0, kLeftButton);
    layout_.DragSplitBar(0, 40000, 0, window);
    layout_.ReleaseSplitBar(0, window);
    EXPECT_EQ(layout_.SplitBarPosition(0), 57450);
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{57500, 0, 100, 16175}));
}

// --- The fit hook ------------------------------------------------------------------------------------------------

TEST_F(PaneLayoutTest, FitsAfterEachPaneResizeWithItsInnerLayoutDoneAndAtTheEnd) {
    Show(1, false);
    int before = fits_;
    layout_.Layout(kWindow);
    EXPECT_EQ(fits_ - before, 1) << "nothing resized: only the end of the pass";

    before = fits_;
    hostAreaAtFit_.clear();
    layout_.Layout(Window(12000, 5000));
    EXPECT_EQ(fits_ - before, 3) << "pane 0, pane 1, end of pass";
    ASSERT_FALSE(hostAreaAtFit_.empty());
    EXPECT_EQ(hostAreaAtFit_.front(), (base::TwipsRect{0, 270, 4920, 4730}));
}

TEST_F(PaneLayoutTest, RejectsIndicesOutOfRange) {
    Show(1, false);
    EXPECT_FALSE(layout_.SelectView(3, kWindow).laidOut);
    EXPECT_FALSE(layout_.SelectView(-1, kWindow).laidOut);
    EXPECT_TRUE(layout_.ViewChecked(1));
    EXPECT_THROW(layout_.Frame(3), std::out_of_range);
    EXPECT_THROW(layout_.PressSplitBar(2, kLeftButton), std::out_of_range);
}

// --- Split-bar drag ----------------------------------------------------------------------------------------------

class PaneLayoutDragTest : public PaneLayoutTest {
protected:
    void SetUp() override { Show(1, false); }
    void DragBar0To(double x, const WindowMetrics& window = kWindow) {
        layout_.PressSplitBar(0, kLeftButton);
        layout_.DragSplitBar(0, x, 0, window);
    }
};

TEST_F(PaneLayoutDragTest, OnlyTheBarMovesUntilTheRelease) {
    const int before = fits_;
    layout_.PressSplitBar(0, kLeftButton);
    EXPECT_TRUE(layout_.SplitDragging());
    EXPECT_EQ(layout_.SplitBarColour(0), BarPaint::kShadow);
    EXPECT_EQ(layout_.SplitBarColour(1), BarPaint::kFace);

    layout_.DragSplitBar(0, 40, 0, kWindow);
    EXPECT_EQ(layout_.SplitBar(0), (base::TwipsRect{4960, 0, 50, 6000}));
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4920, 6000}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{4970, 0, 7030, 6000}));
    EXPECT_EQ(fits_, before);

    EXPECT_TRUE(layout_.ReleaseSplitBar(0, kWindow).laidOut);
    EXPECT_FALSE(layout_.SplitDragging());
    EXPECT_EQ(layout_.SplitBarColour(0), BarPaint::kFace);
    EXPECT_EQ(layout_.Frame(0), (base::TwipsRect{0, 0, 4960, 6000}));
    EXPECT_EQ(layout_.Frame(1), (base::TwipsRect{5010, 0, 6990, 6000}));
    EXPECT_GT(fits_, before);
}

TEST_F(PaneLayoutDragTest, GrabbedInTheMiddleTheBarJumpsItsEdgeUnderTheMouse) {
    layout_.PressSplitBar(0, kLeftButton);
    layout_.DragSplitBar(0, 25 + 15, 0, kWindow);  // one pixel right of the grab point
    EXPECT_EQ(layout_.SplitBarPosition(0), 4920 + 40);

    layout_.ReleaseSplitBar(0, kWindow);
    layout_.SelectView(2, kWindow);
    layout_.PressSplitBar(1, kLeftButton);
    layout_.DragSplitBar(1, 0, 25 - 15, kWindow);
    EXPECT_EQ(layout_.SplitBarPosition(1), 2880 + 10);
    EXPECT_EQ(layout_.SplitBarColour(1), BarPaint::kShadow);
}

TEST_F(PaneLayoutDragTest, StopsAtTheDragMarginFromEitherEdge) {
    DragBar0To(-100000);
    EXPECT_EQ(layout_.SplitBarPosition(0), 150);
    DragBar0To(100000);
    EXPECT_EQ(layout_.SplitBarPosition(0), 11850);

    layout_.PressSplitBar(1, kLeftButton);
    layout_.DragSplitBar(1, 0, 100000, kWindow);
    EXPECT_EQ(layout_.SplitBarPosition(1), 5850);
}

TEST_F(PaneLayoutDragTest, UpperBoundWinsInANarrowClientArea) {
    DragBar0To(-100000, Window(200, 6000));
    EXPECT_EQ(layout_.SplitBarPosition(0), 50);
    DragBar0To(-100000, Window(100, 6000));
    EXPECT_EQ(layout_.SplitBarPosition(0), -50);
}

TEST_F(PaneLayoutDragTest, RoundsHalvesToEven) {
    DragBar0To(0.5);
    EXPECT_EQ(layout_.SplitBarPosition(0), 4920);
    DragBar0To(1.5);
    EXPECT_EQ(layout_.SplitBarPosition(0), 4922);
    DragBar0To(100000, Window(12000.5, 6000));
    EXPECT_EQ(layout_.SplitBarPosition(0), 11850);
}

TEST_F(PaneLayoutDragTest, OnlyALeftButtonPressStartsADrag) {
    const int before = fits_;
    layout_.PressSplitBar(0, kRightButton | kMiddleButton);
    layout_.DragSplitBar(0, 500, 0, kWindow);
    EXPECT_FALSE(layout_.SplitDragging());
    EXPECT_EQ(layout_.SplitBarColour(0), BarPaint::kFace);
    EXPECT_EQ(layout_.SplitBarPosition(0), 4920);
    EXPECT_FALSE(layout_.ReleaseSplitBar(0, kWindow).laidOut);
    EXPECT_EQ(fits_, before);

    layout_.PressSplitBar(0, kRightButton | kLeftButton);
    EXPECT_TRUE(layout_.SplitDragging());
}

}  // namespace
}  // namespace velmora::shell
