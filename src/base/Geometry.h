#pragma once

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

}  // namespace velmora::base
