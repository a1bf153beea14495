#include "pages/picture_placement.h"

#include <cstdlib>

PictureArea PagePictureArea(int32_t width, int32_t height, int32_t screenWidth, int32_t screenHeight)
{
    if (screenWidth <= 0 || screenHeight <= 0) return {};
    // A top-down bitmap reports a negative height: its size is the same. In
    // 64 bits, as a file may give -2^31, whose size is no int32.
    const int64_t w = std::abs(int64_t{width}), h = std::abs(int64_t{height});
    float fx = static_cast<float>(w) / static_cast<float>(screenWidth);
    float fy = static_cast<float>(h) / static_cast<float>(screenHeight);
    float y0 = 0.1f;
    if (fx > 1.0f) {
        fy = fy / fx;
        fx = 1.0f;
    }
    if (fy >= 1.0f) {
        fx = fx / fy;
        fy = 1.0f;
        y0 = 0.0f;
    } else if (fy > 0.8f) {
        y0 = (1.0f - fy) * 0.5f;
    }
    const float x0 = (1.0f - fx) * 0.5f;
    return {x0, y0, x0 + fx, y0 + fy};
}
