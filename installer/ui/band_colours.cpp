#include "ui/band_colours.h"

int32_t BandComponent(int32_t start, int32_t end, int32_t bands, int32_t k)
{
    // Single precision, truncated toward zero, as the background has always been painted.
    const float step = static_cast<float>(end - start) / static_cast<float>(bands);
    return static_cast<int32_t>(static_cast<float>(start) + step * static_cast<float>(k) + 0.5f);
}

ColourTriple BandColour(const ColourTriple& start, const ColourTriple& end, int32_t bands, int32_t k)
{
    return {BandComponent(start.red, end.red, bands, k), BandComponent(start.green, end.green, bands, k),
            BandComponent(start.blue, end.blue, bands, k)};
}
