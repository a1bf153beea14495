#pragma once
// Small BMP and PCX files written by the tests themselves.

#include <cstdint>
#include <string>
#include <vector>

#include "robot.h"

namespace pictures {

using Colour = robot::Pixel;

// A picture as palette indices, top row first.
struct Indexed {
    int width = 0;
    int height = 0;
    std::vector<Colour> palette;
    std::vector<uint8_t> indices;
    Colour at(int x, int y) const { return palette[indices[static_cast<std::size_t>(y * width + x)]]; }
};

// bits 1, 4, 8 or 24; rle8 needs bits 8.
std::string Bmp(const Indexed& picture, int bits, bool rle8 = false);
// bits 8 (one plane and a 256-colour palette) or 24 (three planes).
std::string Pcx(const Indexed& picture, int bits);

}  // namespace pictures
