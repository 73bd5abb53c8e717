#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Twips.h"

namespace velmora::base {
namespace {

TEST(TwipsTest, HalvesRoundToTheEvenNeighbour) {
    const std::pair<double, std::int64_t> cases[] = {
        {0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0}, {-1.5, -2},
        {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {7.0, 7},  {1e15 + 0.5, 1000000000000000},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundHalfEven(value), expected) << value;
    }
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(RoundHalfEven(-INFINITY), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(RoundHalfEven(NAN), 0);
}

TEST(TwipsTest, ConvertsAtTheScreensDpi) {
    EXPECT_EQ(TwipsPerPixel(96), 15.0);
    EXPECT_EQ(TwipsPerPixel(144), 10.0);
    EXPECT_EQ(TwipsToPixels(150, 15), 10);
    EXPECT_EQ(TwipsToPixels(22.5, 15), 2);  // 1.5 pixels
    EXPECT_EQ(TwipsToPixels(37.5, 15), 2);  // 2.5 pixels
    EXPECT_EQ(TwipsToPixels(-37.5, 15), -2);
    EXPECT_EQ(TwipsToPixels(1e12, 15), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(PixelsToTwips(10, 15), 150.0);
    EXPECT_EQ(PixelsToTwips(-200, 15), -3000.0);
}

}  // namespace
}  // namespace velmora::base
