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

}  // namespace velmora::base
