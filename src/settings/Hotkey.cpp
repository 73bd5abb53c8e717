#include "settings/Hotkey.h"

namespace velmora::settings {

std::int32_t HighByte(std::int32_t word) {
    // Clearing the low byte first makes the division exact, so it needs no
    // rounding rule even for negative words.
    return static_cast<std::int32_t>((static_cast<std::int64_t>(word) & ~std::int64_t{0xFF}) / 256);
}

std::int32_t LowByte(std::int32_t word) {
    const std::int32_t low = word & 0xFF;
    return low > 127 ? low - 256 : low;
}

std::int32_t RegistrationModifiers(std::int32_t controlFlags) {
    // The registration numbers Alt and Shift the other way round from the
    // field; Control is 2 in both.
    std::int32_t modifiers = 0;
    if (controlFlags & kHotkeyAlt) modifiers |= 1;
    if (controlFlags & kHotkeyControl) modifiers |= 2;
    if (controlFlags & kHotkeyShift) modifiers |= 4;
    return modifiers;
}

HotkeyKeys HotkeyKeysFromWord(std::int32_t word) {
    return HotkeyKeys{word, LowByte(word), RegistrationModifiers(HighByte(word))};
}

std::uint32_t RegistrationKeyCode(std::int32_t storedHotkey) {
    return static_cast<std::uint32_t>(storedHotkey) & 0xFFu;
}

}  // namespace velmora::settings
