#include "base/TabHitTest.h"

#include <gtest/gtest.h>

namespace velmora::base {
namespace {

TEST(TabHitTest, FindsTheTabFromTheRunningTotalOfWidths) {
    const std::vector<double> widths{1000, 800, 1200};
    EXPECT_EQ(HitTestTab(widths, 0), 1);
    EXPECT_EQ(HitTestTab(widths, 999.9), 1);
    EXPECT_EQ(HitTestTab(widths, 1000), 2);  // the edge belongs to the next tab
    EXPECT_EQ(HitTestTab(widths, 2999), 3);
}

TEST(TabHitTest, BeyondTheLastTabOrWithoutTabsHitsNothing) {
    EXPECT_EQ(HitTestTab({1000, 800}, 1800), 0);
    EXPECT_EQ(HitTestTab({1000, 800}, 5000), 0);
    EXPECT_EQ(HitTestTab({}, 0), 0);
}

TEST(TabHitTest, RoundsTheRunningTotalHalvesToEvenAfterEachTab) {
    // 100.5 rounds to 100 (even), so x = 100.2 is already past tab 1; 201.5
    // then rounds to 202.
    EXPECT_EQ(HitTestTab({100.5, 101.5}, 100.2), 2);
    EXPECT_EQ(HitTestTab({100.5, 101.5}, 201.7), 2);
    EXPECT_EQ(HitTestTab({101.5, 100}, 101.7), 1);  // 101.5 rounds up to 102
}

}  // namespace
}  // namespace velmora::base
