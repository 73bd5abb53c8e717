#include "base/Geometry.h"

#include <algorithm>

namespace velmora::base {
namespace {

bool Overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// How far a point is from a rectangle (0 inside it), squared.
double DistanceSquared(double x, double y, const TwipsRect& area) {
    const double dx = std::max({area.left - x, 0.0, x - (area.left + area.width)});
    const double dy = std::max({area.top - y, 0.0, y - (area.top + area.height)});
    return dx * dx + dy * dy;
}

}  // namespace

std::optional<TwipsRect> BringOnScreen(const TwipsRect& window, const std::vector<TwipsRect>& workAreas) {
    if (workAreas.empty()) return std::nullopt;
    if (std::any_of(workAreas.begin(), workAreas.end(), [&](const TwipsRect& area) { return Overlap(window, area); })) {
        return std::nullopt;
    }
    const double x = window.left + window.width / 2;
    const double y = window.top + window.height / 2;
    const TwipsRect& area = *std::min_element(workAreas.begin(), workAreas.end(), [&](const auto& a, const auto& b) {
        return DistanceSquared(x, y, a) < DistanceSquared(x, y, b);
    });
    TwipsRect placed = window;
    placed.width = std::min(window.width, area.width);
    placed.height = std::min(window.height, area.height);
    placed.left = std::clamp(window.left, area.left, area.left + area.width - placed.width);
    placed.top = std::clamp(window.top, area.top, area.top + area.height - placed.height);
    return placed;
}

}  // namespace velmora::base
