#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::settings {

// One saved Explorer tab: caption "?" path, entries joined by "|".
struct TabEntry {
    std::string caption;
    std::string path;
    bool operator==(const TabEntry&) const = default;
};

// The value of key "1" or "2" of section "Tab"; nullopt (remove the key) when
// there are no tabs.
std::optional<std::string> EncodeTabs(const std::vector<TabEntry>& tabs);
// Entries in saved order. An empty entry, or one without "?", is skipped;
// pieces after a second "?" are ignored.
std::vector<TabEntry> DecodeTabs(std::string_view value);

}  // namespace velmora::settings
