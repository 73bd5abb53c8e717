#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "settings/Hotkey.h"

namespace velmora::settings {
namespace {

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

}  // namespace
}  // namespace velmora::settings
