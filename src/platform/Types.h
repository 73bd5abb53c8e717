#pragma once

#include <cstdint>

#include "base/Geometry.h"

namespace velmora::platform {

// A window handle as a number (0 = none). Handles are checked before every
// use: one can be reused by another program's window once ours is gone.
using WindowHandle = std::uint64_t;

// ShowWindow commands used by the programs.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinimizedNoActivate = 6;  // SW_MINIMIZE: minimised, focus not taken
inline constexpr int kShowDefault = 5;              // SW_SHOW

}  // namespace velmora::platform
