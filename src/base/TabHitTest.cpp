#include "base/TabHitTest.h"

#include <cstddef>

#include "base/Twips.h"

namespace velmora::base {

int HitTestTab(const std::vector<double>& tabWidths, double x) {
    double total = 0;
    for (std::size_t tab = 0; tab < tabWidths.size(); ++tab) {
        total = static_cast<double>(RoundHalfEven(total + tabWidths[tab]));
        if (x < total) return static_cast<int>(tab) + 1;
    }
    return 0;
}

int TabGapAt(const std::vector<double>& tabWidths, double x) {
    // Gap k lies at the left edge of tab k; x belongs to the nearer of the two edges of the tab it is over.
    double left = 0;
    for (std::size_t tab = 0; tab < tabWidths.size(); ++tab) {
        const double right = static_cast<double>(RoundHalfEven(left + tabWidths[tab]));
        if (x < right) return static_cast<int>(tab) + (x - left < right - x ? 1 : 2);
        left = right;
    }
    return static_cast<int>(tabWidths.size()) + 1;
}

int MovedTabPosition(int from, int gap) { return gap > from ? gap - 1 : gap; }

int TabMoveTarget(int from, int gap, int count) {
    const int to = MovedTabPosition(from, gap);
    return from < 1 || from > count || to < 1 || to > count || to == from ? 0 : to;
}

}  // namespace velmora::base
