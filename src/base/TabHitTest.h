#pragma once

#include <vector>

namespace velmora::base {

// The tab under a click at x (twips from the strip's left edge), from x alone:
// the strip counts as one row starting at 0; the running total of the tab
// widths is rounded (halves to even) after each tab, and the first tab whose
// total exceeds x is hit. 1-based; 0 when x lies beyond the last tab.
int HitTestTab(const std::vector<double>& tabWidths, double x);

}  // namespace velmora::base
