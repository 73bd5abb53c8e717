// The saved-tab codec must never crash on a hand-edited value, and what it
// decodes must encode back to a value that decodes the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/TabCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const auto tabs = velmora::settings::DecodeTabs(value);
    for (const auto& tab : tabs) {
        if (tab.caption.find('|') != std::string::npos || tab.path.find('|') != std::string::npos) __builtin_trap();
        if (tab.caption.find('?') != std::string::npos || tab.path.find('?') != std::string::npos) __builtin_trap();
    }
    const auto encoded = velmora::settings::EncodeTabs(tabs);
    if (tabs.empty() != !encoded.has_value()) __builtin_trap();
    if (encoded && velmora::settings::DecodeTabs(*encoded) != tabs) __builtin_trap();
    return 0;
}
