#include "ui/band_colours.h"

#include "utilities/saturate.h"

int32_t BandComponent(int32_t start, int32_t end, int32_t bands, int32_t k)
{
    // Single precision, truncated toward zero, as the background has always been painted.
    // No bands make no steps (rather than a division by zero): every band is the start colour.
    const float step = bands > 0 ? static_cast<float>(int64_t{end} - start) / static_cast<float>(bands) : 0.0f;
    return SaturatingInt32(static_cast<float>(start) + step * static_cast<float>(k) + 0.5f);
}

ColourTriple BandColour(const ColourTriple& start, const ColourTriple& end, int32_t bands, int32_t k)
{
    return {BandComponent(start.red, end.red, bands, k), BandComponent(start.green, end.green, bands, k),
            BandComponent(start.blue, end.blue, bands, k)};
}
