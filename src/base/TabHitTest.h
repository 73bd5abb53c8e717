#pragma once

#include <vector>

namespace velmora::base {

// The tab under a click at x (twips from the strip's left edge), from x alone:
// the strip counts as one row starting at 0; the running total of the tab
// widths is rounded (halves to even) after each tab, and the first tab whose
// total exceeds x is hit. 1-based; 0 when x lies beyond the last tab.
int HitTestTab(const std::vector<double>& tabWidths, double x);

// Where a tab dragged along its strip would go in, from x: the gap before tab k (1-based), the one after the last
// tab being count + 1; the gap nearest to x, by the same rounded running totals.
int TabGapAt(const std::vector<double>& tabWidths, double x);

// The position tab `from` takes when dropped into gap `gap` (both 1-based): the gaps on either side of it leave it
// where it is.
int MovedTabPosition(int from, int gap);
// The same for a strip of `count` tabs; 0 when nothing moves (the tab stays, or either number names no tab or gap).
int TabMoveTarget(int from, int gap, int count);

}  // namespace velmora::base
