#include "settings/TabCodec.h"

namespace velmora::settings {

std::optional<std::string> EncodeTabs(const std::vector<TabEntry>& tabs) {
    if (tabs.empty()) return std::nullopt;
    std::string value;
    for (const TabEntry& tab : tabs) {
        if (&tab != &tabs.front()) value += '|';
        value += tab.caption;
        value += '?';
        value += tab.path;
    }
    return value;
}

std::vector<TabEntry> DecodeTabs(std::string_view value) {
    std::vector<TabEntry> tabs;
    while (!value.empty()) {
        const auto bar = value.find('|');
        const std::string_view entry = value.substr(0, bar);
        value = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);

        const auto mark = entry.find('?');
        if (mark == std::string_view::npos) continue;  // also skips the empty entry
        const std::string_view rest = entry.substr(mark + 1);
        tabs.push_back(TabEntry{std::string(entry.substr(0, mark)), std::string(rest.substr(0, rest.find('?')))});
    }
    return tabs;
}

}  // namespace velmora::settings
