#include <windows.h>

#include "platform/win32/kit/WinString.h"
#include "settings/CodePage.h"

namespace velmora::settings {
namespace {

class WindowsCodePage final : public CodePage {
public:
    explicit WindowsCodePage(UINT codePage) : codePage_(codePage) {}

    std::optional<std::string> ToUtf8(std::string_view ansi) override {
        if (ansi.empty()) return std::string();
        const int size = static_cast<int>(ansi.size());
        const int count = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
        if (count <= 0) return std::nullopt;
        std::wstring wide(static_cast<size_t>(count), L'\0');
        MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, ansi.data(), size, wide.data(), count);
        return win32::Narrow(wide);
    }

    std::optional<std::string> FromUtf8(std::string_view utf8) override {
        if (utf8.empty()) return std::string();
        const std::wstring wide = win32::Widen(utf8);
        const int size = static_cast<int>(wide.size());
        // WC_NO_BEST_FIT_CHARS: a character without an exact form must be
        // reported, not silently replaced by a look-alike or "?".
        BOOL usedDefault = FALSE;
        const int count =
            WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
        if (count <= 0 || usedDefault) return std::nullopt;
        std::string ansi(static_cast<size_t>(count), '\0');
        WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), count, nullptr,
                            &usedDefault);
        if (usedDefault) return std::nullopt;
        // Best-fit is off, but make sure the text survives the way back too.
        const auto back = ToUtf8(ansi);
        if (!back || *back != utf8) return std::nullopt;
        return ansi;
    }

private:
    UINT codePage_;
};

}  // namespace

std::unique_ptr<CodePage> MakeHostCodePage() { return std::make_unique<WindowsCodePage>(CP_ACP); }
std::unique_ptr<CodePage> MakeCp932CodePage() { return std::make_unique<WindowsCodePage>(932); }

}  // namespace velmora::settings
