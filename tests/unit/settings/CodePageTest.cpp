#include <gtest/gtest.h>

#include "settings/CodePage.h"

namespace velmora::settings {
namespace {

TEST(CodePageTest, Cp932ConvertsJapaneseBothWaysAndRefusesWhatItCannotHoldExactly) {
    auto cp932 = MakeCp932CodePage();
    // clang-format off
    const std::pair<std::string, std::string> pairs[] = {
        {"メモ帳", "\x83\x81\x83\x82\x92\xA0"}, {"C:\\表\\ソ~", "C:\\\x95\x5C\\\x83\x5C~"} /* "\" and "~" stay ASCII */,
        {"ｱｲｳ", "\xB1\xB2\xB3"}, {"", ""}};
    // clang-format on
    for (const auto& [utf8, ansi] : pairs) {
        EXPECT_EQ(cp932->FromUtf8(utf8), ansi) << utf8;
        EXPECT_EQ(cp932->ToUtf8(ansi), utf8) << utf8;
    }
    // No look-alikes: yen sign, minus sign, overline, an emoji, invalid UTF-8; nor a lead byte alone.
    for (const char* text : {"¥", "1−2", "‾", "😀", "a\xFF"}) EXPECT_EQ(cp932->FromUtf8(text), std::nullopt) << text;
    EXPECT_EQ(cp932->ToUtf8("a\x82"), std::nullopt);
    EXPECT_EQ(MakeHostCodePage()->ToUtf8("plain ASCII"), "plain ASCII");
}

}  // namespace
}  // namespace velmora::settings
