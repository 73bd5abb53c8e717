// How setting.ini's text and values are encoded: the code page, UTF-8 and UTF-16, hotkeys and the tab list.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "settings/CodePage.h"
#include "settings/Hotkey.h"
#include "settings/TabCodec.h"
#include "settings/TextCodec.h"

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

TEST(HotkeyTest, DerivesTheStoredKeysAndTheKeyCodeToRegister) {
    // The field's word; Hotkey (a signed byte), Modkey (1 Alt, 2 Control, 4 Shift; never the extended-key flag) and
    // the key code registered from that Hotkey, which older files hold negative for codes above 127.
    // clang-format off
    const std::tuple<std::int32_t, std::array<std::int32_t, 2>, std::uint32_t> cases[] = {
        {0x0341, {65, 6}, 65} /* Ctrl+Shift+A */, {0x0470, {112, 1}, 112} /* Alt+F1 */,
        {0x0A24, {36, 2}, 36} /* Ctrl+Home, extended */, {0x075A, {90, 7}, 90}, {0x027F, {127, 2}, 127},
        {0x02BA, {-70, 2}, 186} /* Ctrl+; */, {0x02FF, {-1, 2}, 255}, {0, {0, 0}, 0}};
    // clang-format on
    for (const auto& [word, stored, code] : cases) {
        const HotkeyKeys keys = HotkeyKeysFromWord(word);
        EXPECT_EQ(keys.hot, word);
        EXPECT_EQ((std::array{keys.hotkey, keys.modkey}), stored) << word;
        EXPECT_EQ(RegistrationKeyCode(keys.hotkey), code) << word;
    }
}

TEST(TabCodecTest, JoinsCaptionAndPathByBarsAndReadsBackSkippingWhatIsNoEntry) {
    EXPECT_EQ(EncodeTabs({}), std::nullopt);
    // clang-format off
    const std::vector<TabEntry> tabs = {
        {"ドキュメント", "C:\\Users\\a\\Documents"}, {"PC", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"}, {"", ""}, {"c", ""}};
    // clang-format on
    EXPECT_EQ(EncodeTabs(tabs),
              "ドキュメント?C:\\Users\\a\\Documents|PC?::{20D04FE0-3AEA-1069-A2D8-08002B30309D}|?|c?");
    EXPECT_EQ(DecodeTabs(*EncodeTabs(tabs)), tabs);
    EXPECT_EQ(DecodeTabs("|a?C:\\a||no path|b?C:\\b?extra?more|"),
              (std::vector<TabEntry>{{"a", "C:\\a"}, {"b", "C:\\b"}}));
}

TEST(TextCodecTest, WellFormedUtf8AndUtf16AtTheirEdges) {
    // Overlong forms, surrogates and values beyond U+10FFFF are not well formed; U+0080, U+0800 and U+10FFFF are.
    // clang-format off
    const std::pair<const char*, bool> utf8[] = {
        {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false}, {"\xED\x9F\xBF", true}, {"\xED\xA0\x80", false},
        {"\xC2\x80", true}, {"\xEE\x80\x80", true}, {"\xC1\xBF", false}, {"\xE0\x9F\xBF", false}, {"\xE2\x82", false},
        {"\x80", false}, {"\xE0\xA0\x80", true}};
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
