#pragma once

#include <optional>
#include <vector>

namespace velmora::base {

// Form geometry is in twips (1/1440 inch), as the settings store it. Doubles
// rather than 16-bit integers: the centre command leaves half twips, and the
// client area of a large screen (57600 twips across on a 4K monitor) does not
// fit in 16 bits.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const TwipsRect&) const = default;
};

struct TwipsSize {
    double width = 0;
    double height = 0;
    bool operator==(const TwipsSize&) const = default;
};

// What the window manager takes: whole pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Where a window saved off every monitor goes (a laptop undocked, a monitor removed): onto the work area nearest to
// it, its size kept where it fits. nullopt when the window is already partly on one of the areas, where it stays, or
// when there are no areas to go by.
std::optional<TwipsRect> BringOnScreen(const TwipsRect& window, const std::vector<TwipsRect>& workAreas);

}  // namespace velmora::base
