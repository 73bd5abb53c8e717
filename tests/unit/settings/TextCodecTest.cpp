#include <gtest/gtest.h>

#include "settings/TextCodec.h"

namespace velmora::settings {
namespace {

TEST(TextCodecTest, WellFormedUtf8AndUtf16AtTheirEdges) {
    // Overlong forms, surrogates and values beyond U+10FFFF are not well formed; U+10FFFF itself is.
    // clang-format off
    const std::pair<const char*, bool> utf8[] = {
        {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false}, {"\xED\x9F\xBF", true}, {"\xED\xA0\x80", false},
        {"\xEE\x80\x80", true}, {"\xC1\xBF", false}, {"\xE0\x9F\xBF", false}, {"\xE2\x82", false}, {"\x80", false}};
    // clang-format on
    for (const auto& [text, wellFormed] : utf8) EXPECT_EQ(IsUtf8(text), wellFormed) << text;
    EXPECT_EQ(PatchUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    bool exact = true;
    // A pair makes one character; a low half alone does not; a lone last byte is kept out.
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8\x00\xDE\x00\xDC\x41", 7), exact),
              "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_FALSE(exact);
    exact = true;  // the last of both halves' ranges: U+10FFFF as a pair, then a low half alone
    EXPECT_EQ(Utf16LeToUtf8(std::string("\xFF\xDB\xFF\xDF\xFF\xDF", 6), exact), "\xF4\x8F\xBF\xBF\xEF\xBF\xBD");
    EXPECT_FALSE(exact);
    EXPECT_EQ(Utf8ToUtf16Le("\xF0\x9F\x98\x80\xFF"), std::string("\x3D\xD8\x00\xDE\xFD\xFF", 6));
    // The first character beyond 16 bits both ways, then a high half alone.
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xD8\x00\xDC\x00\xD8\x41\x00", 8), exact),
              "\xF0\x90\x80\x80\xEF\xBF\xBD\x41");
    EXPECT_EQ(Utf8ToUtf16Le("\xF0\x90\x80\x80"), std::string("\x00\xD8\x00\xDC", 4));
}

}  // namespace
}  // namespace velmora::settings
