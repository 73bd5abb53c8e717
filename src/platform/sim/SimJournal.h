#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::platform::sim {

// One line per call that changes something outside our own form (a window
// re-parented, a hotkey registered, an Explorer object told to quit), in the
// order the calls were made. Lets a test check the order of steps that span
// several platform services.
class Journal {
public:
    void Add(std::string entry) { entries_.push_back(std::move(entry)); }
    const std::vector<std::string>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

    // The entries that begin with prefix, in order.
    std::vector<std::string> Matching(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const std::string& entry : entries_) {
            if (entry.starts_with(prefix)) found.push_back(entry);
        }
        return found;
    }

private:
    std::vector<std::string> entries_;
};

}  // namespace velmora::platform::sim
