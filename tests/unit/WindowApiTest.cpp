#include <gtest/gtest.h>

#include "platform/sim/SimDesktop.h"
#include "shell/WindowApi.h"

namespace velmora::shell {
namespace {

TEST(WindowApiTest, TwipsBecomeWholePixelsHalvesToEvenAtTheCurrentDpi) {
    platform::sim::SimDesktop sim;
    auto& windows = sim.windows();
    const auto hosted = windows.Create({"Hosted", "", sim.window().FrameWindow(2), 0, true, {9, 10}});

    MoveWindowTwips(windows, sim.window(), hosted, 22, 37, 3000, 1500);
    EXPECT_EQ(windows.GetWindowRect(hosted), (base::PixelRect{1, 2, 200, 100}));

    // 120 DPI: 12 twips per pixel, and values that fall on half pixels.
    sim.window().ChangeDpi(12, 12);
    MoveWindowTwips(windows, sim.window(), hosted, 30, 42, 18, 6);
    EXPECT_EQ(windows.GetWindowRect(hosted), (base::PixelRect{2, 4, 2, 0}));
    MoveWindowTwips(windows, sim.window(), hosted, -30, -42, 0, 0);
    EXPECT_EQ(windows.GetWindowRect(hosted), (base::PixelRect{-2, -4, 0, 0}));
}

}  // namespace
}  // namespace velmora::shell
