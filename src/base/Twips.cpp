#include "base/Twips.h"

#include <cmath>
#include <limits>

namespace velmora::base {
namespace {

template <typename Int>
Int ClampToInt(double value) {
    // Converting a double outside the target's range is undefined; geometry
    // from a broken settings file must not get there.
    if (std::isnan(value)) return 0;
    constexpr double low = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double high = static_cast<double>(std::numeric_limits<Int>::max());
    if (value <= low) return std::numeric_limits<Int>::min();
    if (value >= high) return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

}  // namespace

std::int64_t RoundHalfEven(double value) {
    // Done by hand rather than with nearbyint, which follows whatever rounding
    // mode the process happens to be in.
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5) {
        rounded = floor + 1.0;
    } else if (fraction == 0.5) {
        rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
    }
    return ClampToInt<std::int64_t>(rounded);
}

double TwipsPerPixel(double dpi) { return 1440.0 / dpi; }

std::int32_t TwipsToPixels(double twips, double twipsPerPixel) {
    const std::int64_t pixels = RoundHalfEven(twips / twipsPerPixel);
    if (pixels < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    if (pixels > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(pixels);
}

double PixelsToTwips(double pixels, double twipsPerPixel) { return pixels * twipsPerPixel; }

}  // namespace velmora::base
