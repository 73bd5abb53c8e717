#include <gtest/gtest.h>

#include "settings/TabCodec.h"

namespace velmora::settings {
namespace {

TEST(TabCodecTest, EncodesCaptionAndPathJoinedByBars) {
    EXPECT_EQ(EncodeTabs({}), std::nullopt);
    EXPECT_EQ(EncodeTabs({{"Windows", "C:\\Windows"}}), "Windows?C:\\Windows");
    EXPECT_EQ(
        EncodeTabs({{"ドキュメント", "C:\\Users\\a\\Documents"}, {"PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}}),
        "ドキュメント?C:\\Users\\a\\Documents|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
}

TEST(TabCodecTest, DecodesInOrderSkippingWhatIsNoEntry) {
    const std::vector<TabEntry> tabs = {{"a", "C:\\a"}, {"b", "C:\\b"}, {"", ""}, {"c", ""}, {"d", "C:\\d"}};
    EXPECT_EQ(DecodeTabs(*EncodeTabs(tabs)), tabs);
    EXPECT_TRUE(DecodeTabs("").empty());
    EXPECT_EQ(DecodeTabs("|a?C:\\a||no path|b?C:\\b?extra?more|"),
              (std::vector<TabEntry>{{"a", "C:\\a"}, {"b", "C:\\b"}}));
}

}  // namespace
}  // namespace velmora::settings
