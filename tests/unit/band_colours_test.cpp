#include <gtest/gtest.h>

#include <cstdint>

#include "ui/band_colours.h"

namespace {

TEST(BandColours, KnownBands)
{
    // Band k of N: truncate(start + (end - start) / N * k + 0.5); the end colour is never reached.
    const ColourTriple dark{0, 0, 75}, blue{0, 0, 255}, white{255, 255, 255}, black{0, 0, 0};
    struct Case { ColourTriple start, end; int32_t bands, k; ColourTriple colour; } cases[] = {
        {dark, blue, 255, 0, {0, 0, 75}},    {dark, blue, 255, 1, {0, 0, 76}},     // 76.21
        {dark, blue, 255, 17, {0, 0, 87}},   {dark, blue, 255, 128, {0, 0, 165}},  // 87.5, 165.85
        {dark, blue, 255, 254, {0, 0, 254}},  // 254.79: the bottom band is 254, not 255
        {dark, blue, 127, 64, {0, 0, 166}},  {dark, blue, 127, 126, {0, 0, 254}},  // 128 colours: 166.21, 254.08
        {dark, blue, 15, 14, {0, 0, 243}},  // 16 colours: 12 a band
        {white, black, 255, 0, white}, {white, black, 255, 100, {155, 155, 155}}, {white, black, 255, 254, {1, 1, 1}},
        {{10, 200, 0}, {250, 20, 128}, 15, 7, {122, 116, 60}},  // each component its own step
        {{12, 34, 56}, {12, 34, 56}, 127, 126, {12, 34, 56}},   // equal ends: equal bands
        {{1, 2, 3}, {250, 251, 252}, 1, 0, {1, 2, 3}},          // a single band
    };
    for (const Case& c : cases)
        EXPECT_EQ(BandColour(c.start, c.end, c.bands, c.k), c.colour) << "bands " << c.bands << " band " << c.k;
}

TEST(BandColours, EveryBandMatchesTheExactRoundedStep)
{
    // floor(s + (e - s) * k / N + 1/2) in integers; the band counts a display gives are odd, so no ties.
    for (int32_t n : {1, 7, 15, 127, 255})
        for (int32_t s = 0; s <= 255; s += 15)
            for (int32_t e = 0; e <= 255; e += 15)
                for (int32_t k = 0; k < n; ++k)
                    ASSERT_EQ(BandComponent(s, e, n, k), (2LL * s * n + 2LL * (e - s) * k + n) / (2LL * n))
                        << s << "->" << e << " bands " << n << " band " << k;
}

}  // namespace
