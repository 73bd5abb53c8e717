#pragma once

#include <cstdint>

namespace velmora::platform {

// A window handle as a number (0 = none). Handles are checked before every
// use: one can be reused by another program's window once ours is gone.
using WindowHandle = std::uint64_t;

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Form geometry is in twips (1/1440 inch), as the settings store it.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// ShowWindow commands used by the programs.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinimizedNoActivate = 6;  // SW_MINIMIZE: minimised, focus not taken
inline constexpr int kShowDefault = 5;              // SW_SHOW

}  // namespace velmora::platform
