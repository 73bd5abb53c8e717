#pragma once

// Expected geometry of the main window's panes, written from the layout
// table as a person would work it out by hand, and the checks that compare a
// running program's controls with it.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "e2e/Driver.h"

namespace velmora::e2e {

// The Wine prefix runs at 96 DPI: 15 twips to the pixel.
inline constexpr double kTwipsPerPixel = 15;

struct Box {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// What one layout shows: each frame and bar, or nullopt when hidden.
struct Expected {
    std::array<std::optional<Box>, 3> frames;
    std::array<std::optional<Box>, 2> bars;
};

// view 0..2; client width and height and the bar positions in twips.
Expected ExpectedLayout(int view, bool appPane, double width, double height, double barLeft, double barTop);

// The pixel rectangle a twips box is placed at (each value rounded on its own).
RECT Pixels(const Box& box);

// Compares every frame, bar and inner control of the running program with the expectation; a
// text listing the differences, empty when there are none.
std::string CompareLayout(const Velmora& program, const Expected& expected);

}  // namespace velmora::e2e
