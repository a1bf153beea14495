#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/band_colours.h"

namespace {

// Band k of N runs from the start colour by k steps of (end - start) / N and is
// rounded by adding one half and truncating. Worked out exactly in integers:
// floor((2·s·N + 2·(e − s)·k + N) / (2·N)); the numerator is never negative.
// The band counts the display can give (255, 127, 15, 7, 1) are all odd, so
// no band falls on a tie and any careful floating-point evaluation agrees.
int32_t ExactComponent(int32_t s, int32_t e, int32_t n, int32_t k)
{
    const int64_t numerator = 2LL * s * n + 2LL * (e - s) * k + n;
    return static_cast<int32_t>(numerator / (2LL * n));
}

TEST(BandColours, DefaultGradientOnAHighColourDisplay)
{
    // 256 graduated colours: 255 bands from (0, 0, 75) towards (0, 0, 255).
    // blue = truncate(75 + 180·k/255 + 0.5)
    struct Case {
        int32_t k, blue;
    } cases[] = {
        {0, 75},     // 75.5
        {1, 76},     // 76.21
        {2, 76},     // 76.91
        {17, 87},    // 87.5
        {85, 135},   // 135.5
        {127, 165},  // 165.15
        {128, 165},  // 165.85
        {200, 216},  // 216.68
        {253, 254},  // 254.09
        {254, 254},  // 254.79: the bottom band stops short of 255
    };
    const ColourTriple start{0, 0, 75}, end{0, 0, 255};
    for (const Case& c : cases) {
        EXPECT_EQ(BandColour(start, end, 255, c.k), (ColourTriple{0, 0, c.blue})) << "band " << c.k;
        EXPECT_EQ(BandComponent(75, 255, 255, c.k), c.blue) << "band " << c.k;
    }
}

TEST(BandColours, DefaultGradientNeverReachesTheEndColour)
{
    for (int32_t k = 0; k < 255; ++k) {
        const ColourTriple band = BandColour({0, 0, 75}, {0, 0, 255}, 255, k);
        EXPECT_EQ(band.red, 0) << k;
        EXPECT_EQ(band.green, 0) << k;
        EXPECT_GE(band.blue, 75) << k;
        EXPECT_LE(band.blue, 254) << k;
    }
}

TEST(BandColours, DefaultGradientWithTheRequested128Colours)
{
    // A 256-colour display gives the 128 colours the installer asks for: 127 bands.
    struct Case {
        int32_t k, blue;
    } cases[] = {
        {0, 75},     // 75.5
        {1, 76},     // 76.92
        {2, 78},     // 78.33
        {63, 164},   // 164.79
        {64, 166},   // 166.21
        {125, 252},  // 252.67
        {126, 254},  // 254.08
    };
    for (const Case& c : cases)
        EXPECT_EQ(BandColour({0, 0, 75}, {0, 0, 255}, 127, c.k), (ColourTriple{0, 0, c.blue})) << "band " << c.k;
}

TEST(BandColours, SixteenColoursGiveFifteenEvenSteps)
{
    // 180 / 15 = 12 per band.
    const int32_t expected[15] = {75, 87, 99, 111, 123, 135, 147, 159, 171, 183, 195, 207, 219, 231, 243};
    for (int32_t k = 0; k < 15; ++k)
        EXPECT_EQ(BandColour({0, 0, 75}, {0, 0, 255}, 15, k), (ColourTriple{0, 0, expected[k]})) << "band " << k;
}

TEST(BandColours, EachComponentHasItsOwnStep)
{
    // Red 10 → 250 (+16 a band), green 200 → 20 (−12 a band), blue 0 → 128 (+8.53 a band).
    struct Case {
        int32_t k;
        ColourTriple colour;
    } cases[] = {
        {0, {10, 200, 0}},    {1, {26, 188, 9}},    {2, {42, 176, 17}},  {3, {58, 164, 26}},
        {7, {122, 116, 60}},  {13, {218, 44, 111}}, {14, {234, 32, 119}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BandColour({10, 200, 0}, {250, 20, 128}, 15, c.k), c.colour) << "band " << c.k;
}

TEST(BandColours, WhiteToBlackRunsDownOneStepABand)
{
    // Band 0 (the leftmost in the vertical style) is white, the last the darkest.
    struct Case {
        int32_t k;
        int32_t level;
    } cases[] = {{0, 255}, {1, 254}, {100, 155}, {253, 2}, {254, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(BandColour({255, 255, 255}, {0, 0, 0}, 255, c.k), (ColourTriple{c.level, c.level, c.level}))
            << "band " << c.k;
}

TEST(BandColours, EqualStartAndEndGiveEqualBands)
{
    struct Case {
        ColourTriple colour;
        int32_t bands;
    } cases[] = {
        {{0, 0, 75}, 255}, {{0, 0, 0}, 255}, {{255, 255, 255}, 255}, {{12, 34, 56}, 127}, {{200, 100, 50}, 15},
    };
    for (const Case& c : cases)
        for (int32_t k = 0; k < c.bands; ++k) EXPECT_EQ(BandColour(c.colour, c.colour, c.bands, k), c.colour) << k;
}

TEST(BandColours, SingleBandIsTheStartColour)
{
    // A two-colour display: one band.
    EXPECT_EQ(BandColour({1, 2, 3}, {250, 251, 252}, 1, 0), (ColourTriple{1, 2, 3}));
}

TEST(BandColours, MatchTheRoundedStepForEveryBand)
{
    for (int32_t bands : {1, 7, 15, 127, 255}) {
        for (int32_t s = 0; s <= 255; s += 3) {
            for (int32_t e = 0; e <= 255; e += 3) {
                for (int32_t k = 0; k < bands; ++k) {
                    const int32_t got = BandComponent(s, e, bands, k);
                    if (got != ExactComponent(s, e, bands, k)) {
                        ADD_FAILURE() << "start " << s << " end " << e << " bands " << bands << " band " << k
                                      << ": got " << got << ", expected " << ExactComponent(s, e, bands, k);
                        return;
                    }
                }
            }
        }
    }
}

TEST(BandColours, ExtremesOfTheRange)
{
    // Black to white and back over each band count, both ends of the run.
    struct Case {
        int32_t start, end, bands, k, expected;
    } cases[] = {
        {0, 255, 255, 0, 0},     {0, 255, 255, 254, 254}, {255, 0, 255, 254, 1},
        {0, 255, 127, 126, 253}, {255, 0, 127, 126, 2},   // 255·126/127 = 252.99
        {0, 255, 15, 14, 238},   {255, 0, 15, 14, 17},    // 17 a band
        {0, 255, 7, 6, 219},     {255, 0, 7, 6, 36},      // 218.57 + 0.5, 36.43 + 0.5
    };
    for (const Case& c : cases)
        EXPECT_EQ(BandComponent(c.start, c.end, c.bands, c.k), c.expected)
            << c.start << "->" << c.end << " bands " << c.bands << " band " << c.k;
}

}  // namespace
