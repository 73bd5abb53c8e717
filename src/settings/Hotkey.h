#pragma once

#include <cstdint>

namespace velmora::settings {

// The hotkey field's word: low byte the virtual-key code, high byte its flags
// (1 Shift, 2 Control, 4 Alt, 8 extended key).
inline constexpr int kHotkeyShift = 0x01;
inline constexpr int kHotkeyControl = 0x02;
inline constexpr int kHotkeyAlt = 0x04;
inline constexpr int kHotkeyExtended = 0x08;

// Bits 8-15 of the word (the word with its low byte cleared, divided by 256).
std::int32_t HighByte(std::int32_t word);
// Bits 0-7 as a signed byte: 186 gives -70.
std::int32_t LowByte(std::int32_t word);

// The three keys written per pane from one reading of the field.
struct HotkeyKeys {
    std::int32_t hot;     // Hot1/Hot2: the word as the field reports it
    std::int32_t hotkey;  // Hotkey1/Hotkey2: LowByte of the word
    std::int32_t modkey;  // Modkey1/Modkey2: registration flags (1 Alt, 2 Control, 4 Shift)
};
// The extended-key flag stays out of Modkey: for the registration 8 means the
// Windows key, and Ctrl+Home must not become Win+Ctrl+Home.
HotkeyKeys HotkeyKeysFromWord(std::int32_t word);

// The control flags' modifier part converted to registration flags.
std::int32_t RegistrationModifiers(std::int32_t controlFlags);

// The virtual-key code to register from a stored Hotkey value: an unsigned
// byte, so the negative numbers older files hold for codes above 127 work.
std::uint32_t RegistrationKeyCode(std::int32_t storedHotkey);

}  // namespace velmora::settings
