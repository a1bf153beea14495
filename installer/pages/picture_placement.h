#pragma once
// Where a page picture goes on the background. Portable.

#include <cstdint>

// An area in fractions of the surface, y from the bottom edge.
struct PictureArea {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
};

// A picture of width x height pixels on a screen of screenWidth x
// screenHeight: its own size, centred horizontally, its lower edge at 0.1 of
// the height (centred vertically when taller than 0.8), reduced in proportion
// when it does not fit.
PictureArea PagePictureArea(int32_t width, int32_t height, int32_t screenWidth, int32_t screenHeight);
