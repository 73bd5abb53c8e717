#pragma once

#include <cstdint>

namespace velmora::base {

// Banker's rounding: halves go to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t RoundHalfEven(double value);

// Twips per pixel at a DPI (15 at 96 DPI).
double TwipsPerPixel(double dpi);
// A twips length in whole pixels, halves to even.
std::int32_t TwipsToPixels(double twips, double twipsPerPixel);
double PixelsToTwips(double pixels, double twipsPerPixel);

}  // namespace velmora::base
