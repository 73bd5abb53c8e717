#include <gtest/gtest.h>

#include "settings/TabCodec.h"

namespace velmora::settings {
namespace {

TEST(TabCodecTest, JoinsCaptionAndPathByBarsAndReadsBackSkippingWhatIsNoEntry) {
    EXPECT_EQ(EncodeTabs({}), std::nullopt);
    // clang-format off
    const std::vector<TabEntry> tabs = {
        {"ドキュメント", "C:\\Users\\a\\Documents"}, {"PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}, {"", ""}, {"c", ""}};
    // clang-format on
    EXPECT_EQ(EncodeTabs(tabs),
              "ドキュメント?C:\\Users\\a\\Documents|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|?|c?");
    EXPECT_EQ(DecodeTabs(*EncodeTabs(tabs)), tabs);
    EXPECT_TRUE(DecodeTabs("").empty());
    EXPECT_EQ(DecodeTabs("|a?C:\\a||no path|b?C:\\b?extra?more|"),
              (std::vector<TabEntry>{{"a", "C:\\a"}, {"b", "C:\\b"}}));
}

}  // namespace
}  // namespace velmora::settings
