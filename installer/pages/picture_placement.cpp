#include "pages/picture_placement.h"

PictureArea PagePictureArea(int32_t width, int32_t height, int32_t screenWidth, int32_t screenHeight)
{
    if (screenWidth <= 0 || screenHeight <= 0) return {};
    // A top-down bitmap reports a negative height: its size is the same.
    if (width < 0) width = -width;
    if (height < 0) height = -height;
    float fx = static_cast<float>(width) / static_cast<float>(screenWidth);
    float fy = static_cast<float>(height) / static_cast<float>(screenHeight);
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
