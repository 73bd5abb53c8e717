// The six layouts of the real window, switched by the View menu's commands,
// and the split-bar drag with real mouse input.
#include <gtest/gtest.h>

#include <memory>

#include "e2e/Driver.h"
#include "e2e/Layout.h"
#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

// Bars at 330 and 200 pixels; the window 800x600 pixels at 100,100.
constexpr double kBarLeft = 4950;
constexpr double kBarTop = 3000;
constexpr char kSettings[] =
    "[setting]\r\nwindow=1\r\nState=0\r\nX=1500\r\nY=1500\r\nW=12000\r\nH=9000\r\nBar1=4950\r\nBar2=3000\r\n"
    "View=1\r\nViewApl=0\r\n";

COLORREF ScreenColour(POINT screen) {
    HDC dc = GetDC(nullptr);
    const COLORREF colour = GetPixel(dc, screen.x, screen.y);
    ReleaseDC(nullptr, dc);
    return colour;
}

class LayoutTest : public testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "the expectations are worked out for 96 DPI";
        folder_.WriteSettings(kSettings);
        program_ = std::make_unique<Velmora>(folder_);
        ASSERT_TRUE(program_->WaitForMainWindow());
        RECT client{};
        GetClientRect(program_->Main(), &client);
        width_ = client.right * kTwipsPerPixel;
        height_ = client.bottom * kTwipsPerPixel;
    }
    void TearDown() override {
        if (!program_) return;
        program_->Close();
        EXPECT_TRUE(program_->WaitForExit());
    }
    Expected Layout(int view, bool appPane, double barLeft = kBarLeft, double barTop = kBarTop) const {
        return ExpectedLayout(view, appPane, width_, height_, barLeft, barTop);
    }
    // The screen point a given pixel of the client area is at.
    POINT OnScreen(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(program_->Main(), &point);
        return point;
    }

    ProgramFolder folder_;
    std::unique_ptr<Velmora> program_;
    double width_ = 0;
    double height_ = 0;
};

TEST_F(LayoutTest, ViewCommandsSwitchBetweenTheSixLayouts) {
    EXPECT_EQ(CompareLayout(*program_, Layout(1, false)), "") << "as restored: two panes side by side";

    struct Step {
        unsigned command;
        int view;
        bool appPane;
        const char* name;
    };
    const Step steps[] = {
        {ids::kViewOne, 0, false, "one pane"},
        {ids::kViewTwoStacked, 2, false, "two panes stacked"},
        {ids::kViewAppPane, 2, true, "stacked with the application pane at the right"},
        {ids::kViewOne, 0, true, "one pane with the application pane at the right"},
        {ids::kViewTwo, 1, true, "side by side with the application pane at the bottom"},
        {ids::kViewAppPane, 1, false, "application pane off again"},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(program_->Command(step.command));
        EXPECT_EQ(CompareLayout(*program_, Layout(step.view, step.appPane)), "") << step.name;
    }
}

TEST_F(LayoutTest, CentreCommandPutsBothBarsInTheMiddle) {
    ASSERT_TRUE(program_->Command(ids::kViewAppPane));  // view 1 with the pane at the bottom: both bars in use
    ASSERT_TRUE(program_->Command(ids::kViewEven));
    EXPECT_EQ(CompareLayout(*program_, Layout(1, true, width_ / 2 - 25, height_ / 2 - 25)), "");
}

TEST_F(LayoutTest, DraggingTheVerticalBarMovesOnlyTheBarUntilRelease) {
    const RECT bar = program_->RectInParent(ids::kSplitBar0);
    ASSERT_EQ(bar.left, 330);
    const RECT frameBefore = program_->RectInParent(ids::kPicFrame0);
    const int y = (bar.top + bar.bottom) / 2;

    // Grab the bar in its middle, then move the pointer 120 pixels to the right in steps.
    MouseMoveTo(OnScreen(bar.left + 1, y));
    Settle(*program_);
    MouseButton(true);
    Settle(*program_);
    for (int x = bar.left + 21; x <= bar.left + 121; x += 20) {
        MouseMoveTo(OnScreen(x, y));
        Settle(*program_, 60);
    }
    Settle(*program_);
    // The bar's left edge follows the pointer; the panes wait for the release.
    EXPECT_EQ(program_->RectInParent(ids::kSplitBar0).left, 451);
    const RECT frameDuring = program_->RectInParent(ids::kPicFrame0);
    EXPECT_EQ(frameDuring.right, frameBefore.right);
    EXPECT_EQ(ScreenColour(OnScreen(452, y + 40)), GetSysColor(COLOR_BTNSHADOW)) << "the dragged bar is shaded";

    MouseButton(false);
    Settle(*program_);
    EXPECT_EQ(CompareLayout(*program_, Layout(1, false, 451 * kTwipsPerPixel)), "");
    EXPECT_EQ(ScreenColour(OnScreen(452, y + 40)), GetSysColor(COLOR_BTNFACE)) << "released, the bar is plain again";

    // Far to the left it stops at 150 twips (10 pixels).
    MouseMoveTo(OnScreen(452, y));
    Settle(*program_);
    MouseButton(true);
    Settle(*program_);
    MouseMoveTo(OnScreen(2, y));
    Settle(*program_);
    MouseButton(false);
    Settle(*program_);
    EXPECT_EQ(CompareLayout(*program_, Layout(1, false, 150)), "");

    program_->Close();
    ASSERT_TRUE(program_->WaitForExit());
    EXPECT_EQ(folder_.Read(L"setting", L"Bar1"), L"150");
    program_.reset();
}

}  // namespace
}  // namespace velmora::e2e
