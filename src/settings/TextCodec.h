#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 and UTF-16LE as setting.ini may hold them. Strict: overlong forms, surrogates and values beyond U+10FFFF
// are not well formed; what cannot be read becomes U+FFFD, never dropped.
namespace velmora::settings {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// The UTF-16LE code unit at a byte offset (two bytes must be there).
unsigned Utf16Unit(std::string_view bytes, std::size_t at);
bool IsUtf8(std::string_view text);
// Readable text for bytes that are not well-formed UTF-8: each stray byte becomes U+FFFD. Only for matching; the
// bytes themselves are kept elsewhere.
std::string PatchUtf8(std::string_view text);
// UTF-16LE bytes as UTF-8; an unpaired surrogate or a lone last byte becomes U+FFFD and clears `exact`.
std::string Utf16LeToUtf8(std::string_view bytes, bool& exact);
// UTF-8 text as UTF-16LE bytes; stray bytes are written as U+FFFD rather than dropped silently.
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace velmora::settings
