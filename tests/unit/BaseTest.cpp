// The bottom layer: rounding, twips and pixels, path helpers, the tab hit test and where a hosted window goes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "base/Geometry.h"
#include "base/Paths.h"
#include "base/TabHitTest.h"
#include "base/Twips.h"
#include "hosting/HostedWindow.h"

namespace velmora::base {
namespace {

TEST(TwipsTest, HalvesRoundToTheEvenNeighbourAndNothingOverflows) {
    const std::pair<double, std::int64_t> cases[] = {
        {0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0}, {-1.5, -2},
        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7.0, 7},  {1e15 + 0.5, 1000000000000000},
        {1e300, std::numeric_limits<std::int64_t>::max()},  {-INFINITY, std::numeric_limits<std::int64_t>::min()},
        {NAN, 0}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
    const std::pair<double, std::int32_t> pixels[] = {{150, 10}, {22.5, 2}, {37.5, 2}, {-37.5, -2},
                                                      {1e12, std::numeric_limits<std::int32_t>::max()},
                                                      {-1e12, std::numeric_limits<std::int32_t>::min()}};
    for (const auto& [twips, expected] : pixels) EXPECT_EQ(TwipsToPixels(twips, 15), expected) << twips;
    EXPECT_EQ(TwipsPerPixel(144), 10.0);
    EXPECT_EQ(PixelsToTwips(-200, 15), -3000.0);
}

TEST(PathsTest, SplitAtBackslashesTitleAtTheFirstDotExtensionAtTheLast) {
    for (const auto& [folder, joined] : {std::pair{"C:\\b", "C:\\b\\x.txt"}, {"C:\\", "C:\\x.txt"}, {"", "\\x.txt"}})
        EXPECT_EQ(JoinPath(folder, "x.txt"), joined) << folder;
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        // path, GetFileName, FileTitle, FileExtension
        {"C:\\Tools\\my.app.exe", "my.app.exe", "my", "exe"},
        {"C:\\my.dir\\メモ帳.exe", "メモ帳.exe", "メモ帳", "exe"},
        {"C:\\my.dir\\readme", "readme", "", "dir\\readme"},
        {"readme", "readme", "", ""},
        {"C:\\Tools\\", "", "", ""}};
    for (const auto& [path, name, title, extension] : cases) {
        EXPECT_EQ(GetFileName(path), name) << path;
        EXPECT_EQ(FileTitle(path), title) << path;
        EXPECT_EQ(FileExtension(path), extension) << path;
    }
    const std::pair<const char*, bool> exe[] = {{"C:\\X\\APP.EXE", true},      {"C:\\X\\app.Exe", true},
                                                {"C:\\X\\app.exe.txt", false}, {"C:\\X\\app.exes", false},
                                                {"C:\\my.dir\\exe", false},    {"C:\\X\\app.exf", false}};
    for (const auto& [path, expected] : exe) EXPECT_EQ(HasExeExtension(path), expected) << path;
}

TEST(TabHitTest, TheRunningTotalOfWidthsRoundedAfterEachTab) {
    const std::tuple<std::vector<double>, double, int> cases[] = {
        {{1000, 800, 1200}, 0, 1},   {{1000, 800, 1200}, 999.9, 1}, {{1000, 800, 1200}, 1000, 2},
        {{1000, 800, 1200}, 2999, 3}, {{1000, 800}, 1800, 0},        {{}, 0, 0},
        // 100.5 rounds to 100 (even), so x = 100.2 is already past tab 1; 101.5 rounds up to 102.
        {{100.5, 101.5}, 100.2, 2},   {{101.5, 100}, 101.7, 1}};
    for (const auto& [widths, x, tab] : cases) EXPECT_EQ(HitTestTab(widths, x), tab) << x;
    // The gap a dragged tab goes into: the nearer edge of the tab under x; then where the tab ends up.
    const std::pair<double, int> gaps[] = {{-5, 1},    {499, 1},  {500, 2},  {501, 2}, {1000, 2},
                                           {1399, 2}, {1401, 3}, {2999, 4}, {5000, 4}};
    for (const auto& [x, gap] : gaps) EXPECT_EQ(TabGapAt({1000, 800, 1200}, x), gap) << x;
    EXPECT_EQ(TabGapAt({}, 10), 1);
    const std::tuple<int, int, int> moves[] = {{1, 1, 1}, {1, 2, 1}, {1, 3, 2}, {1, 4, 3}, {3, 1, 1}, {3, 3, 3},
                                               {3, 4, 3}, {2, 1, 1}};
    for (const auto& [from, gap, to] : moves) EXPECT_EQ(MovedTabPosition(from, gap), to) << from << " " << gap;
}

TEST(FitRectTest, OffsetsMoveTheCornerAndTheFarEdgesMeetTheArea) {
    const std::tuple<TwipsSize, std::int32_t, std::int32_t, double, PixelRect> cases[] = {
        {{3000, 1500}, 0, 0, 15, {0, 0, 200, 100}},
        {{3000, 1500}, 150, -300, 15, {10, -20, 190, 120}},
        {{3000, 1500}, 150, 300, 10, {15, 30, 285, 120}},
        {{3000, 1500}, 3500, 1500, 15, {233, 100, 0, 0}},  // no room left: no negative size
        {{3000, 1500}, std::numeric_limits<std::int32_t>::min(), 0, 15,
         {-143165577, 0, 143165777, 100}},  // the far edge still meets the area, nothing wraps
        {{22.5, 37.5}, 0, 0, 15, {0, 0, 1, 3}}};  // whole twips first (22, 38), then pixels
    for (const auto& [area, x, y, tpp, expected] : cases) EXPECT_EQ(hosting::FitRect(area, x, y, tpp, tpp), expected) << x;
}

TEST(BringOnScreenTest, AWindowOffEveryMonitorGoesOntoTheNearestKeepingItsSizeWhereItFits) {
    const std::vector<TwipsRect> monitors{{0, 0, 28800, 15600}, {28800, 1200, 19200, 10800}};  // two side by side
    const std::pair<TwipsRect, std::optional<TwipsRect>> cases[] = {
        {{1000, 1000, 9000, 7000}, std::nullopt},         // on the first
        {{47000, 11000, 9000, 7000}, std::nullopt},       // partly on the second: it stays
        {{90000, 5000, 9000, 7000}, TwipsRect{39000, 5000, 9000, 7000}},   // right of both: onto the second
        {{-20000, -9000, 9000, 7000}, TwipsRect{0, 0, 9000, 7000}},        // above and left: onto the first
        {{30000, 30000, 60000, 9000}, TwipsRect{28800, 3000, 19200, 9000}},  // too wide: as wide as the area
        // Touching is not showing, on any side.
        {{0, 15600, 100, 100}, TwipsRect{0, 15500, 100, 100}},   {{0, -100, 100, 100}, TwipsRect{0, 0, 100, 100}},
        {{-100, 5000, 100, 100}, TwipsRect{0, 5000, 100, 100}},
        {{48000, 5000, 100, 100}, TwipsRect{47900, 5000, 100, 100}}};
    for (const auto& [window, placed] : cases) EXPECT_EQ(BringOnScreen(window, monitors), placed) << window.left;
    EXPECT_EQ(BringOnScreen({90000, 0, 10, 10}, {}), std::nullopt);
    // As near to both: onto the first.
    EXPECT_EQ(BringOnScreen({150, 0, 100, 100}, {{0, 0, 100, 100}, {300, 0, 100, 100}}), (TwipsRect{0, 0, 100, 100}));
}

}  // namespace
}  // namespace velmora::base
