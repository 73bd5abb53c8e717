#include <gtest/gtest.h>

#include "settings/Hotkey.h"

namespace velmora::settings {
namespace {

TEST(HotkeyTest, SplitsTheFieldsWord) {
    EXPECT_EQ(HighByte(0x0341), 3);
    EXPECT_EQ(HighByte(0x0A24), 10);
    EXPECT_EQ(LowByte(0x0341), 65);
    EXPECT_EQ(LowByte(186), -70);
    EXPECT_EQ(LowByte(0x02FF), -1);
    EXPECT_EQ(LowByte(127), 127);
}

TEST(HotkeyTest, DerivesTheThreeStoredKeys) {
    struct Case {
        const char* name;
        std::int32_t word;
        HotkeyKeys expected;
    };
    const Case cases[] = {
        {"Ctrl+Shift+A", 0x0341, {833, 65, 6}},         {"Alt+F1", 0x0470, {1136, 112, 1}},
        {"Ctrl+Home, extended", 0x0A24, {2596, 36, 2}}, {"Alt+Shift+Ctrl+Z", 0x075A, {1882, 90, 7}},
        {"Ctrl+; (code 186)", 0x02BA, {698, -70, 2}},   {"empty", 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HotkeyKeys keys = HotkeyKeysFromWord(c.word);
        EXPECT_EQ(keys.hot, c.expected.hot);
        EXPECT_EQ(keys.hotkey, c.expected.hotkey);
        EXPECT_EQ(keys.modkey, c.expected.modkey);
    }
    EXPECT_EQ(RegistrationModifiers(kHotkeyShift | kHotkeyExtended), 4);
}

TEST(HotkeyTest, RegistersStoredKeyCodesAsUnsignedBytes) {
    EXPECT_EQ(RegistrationKeyCode(-70), 186u);
    EXPECT_EQ(RegistrationKeyCode(-1), 255u);
    EXPECT_EQ(RegistrationKeyCode(65), 65u);
    EXPECT_EQ(RegistrationKeyCode(0), 0u);
}

}  // namespace
}  // namespace velmora::settings
