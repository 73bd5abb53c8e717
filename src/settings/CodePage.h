#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::settings {

// Conversion between the system's multibyte (ANSI) code page and UTF-8.
class CodePage {
public:
    virtual ~CodePage() = default;
    // nullopt when the bytes are not valid in the code page.
    virtual std::optional<std::string> ToUtf8(std::string_view ansi) = 0;
    // nullopt when some character has no exact form in the code page (no
    // best-fit substitutes, no "?").
    virtual std::optional<std::string> FromUtf8(std::string_view utf8) = 0;
};

// The system's ANSI code page (CP_ACP on Windows; CP932 elsewhere, because our
// users' systems are Japanese).
std::unique_ptr<CodePage> MakeHostCodePage();
// Shift_JIS as Windows defines it (code page 932), whatever the system uses.
std::unique_ptr<CodePage> MakeCp932CodePage();

}  // namespace velmora::settings
