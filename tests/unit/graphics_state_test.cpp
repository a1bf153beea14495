#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <tuple>

#include "errors/errors.h"
#include "graphics/graphics_state.h"

namespace {

using namespace std::string_view_literals;

class GraphicsStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetErrorState(); }
    void TearDown() override { ResetErrorState(); }
    GraphicsState state;
};

TEST_F(GraphicsStateTest, AreaIsKeptOrRaises44AndBecomesTheWholeSurface)
{
    // y counts from the bottom: 0.1..0.6 up is rows round(0.4 * 768)..round(0.9 * 768) down.
    constexpr PixelRect whole{0, 0, 1024, 768};
    struct Case { float x1, y1, x2, y2; int32_t error; PixelRect pixels; } cases[] = {
        {0.25f, 0.1f, 0.75f, 0.6f, 0, {256, 307, 768, 691}}, {0, 0, 1, 1, 0, whole},
        {0.5f, 0.1f, 0.5f, 0.9f, 44, whole},  {0.1f, 0.5f, 0.9f, 0.5f, 44, whole}, {-0.1f, 0.1f, 0.9f, 0.9f, 44, whole},
        {0.1f, 0.1f, 1.1f, 0.9f, 44, whole},  {0.1f, -0.1f, 0.9f, 0.9f, 44, whole}, {0.1f, 0.1f, 0.9f, 1.1f, 44, whole},
    };
    for (const Case& c : cases) {
        SetArea(state, 0.3f, 0.3f, 0.4f, 0.4f);
        SetArea(state, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(QErrorInfo(1), c.error) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        EXPECT_EQ(AreaPixels(state, 1024, 768), c.pixels) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
}

TEST_F(GraphicsStateTest, PlotUnitsAreKeptOrFallBackToZeroToOne)
{
    // Only an empty or reversed x range is an error (16).
    struct Case { std::array<float, 4> given; int32_t error; std::array<float, 4> units; } cases[] = {
        {{-10, 100, 10, 200}, 0, {-10, 100, 10, 200}}, {{5, 2, 5, 3}, 16, {0, 2, 1, 3}},
        {{10, 2, -10, 3}, 16, {0, 2, 1, 3}}, {{-10, 5, 10, 5}, 0, {-10, 0, 10, 1}}, {{-1, 9, 1, -9}, 0, {-1, 0, 1, 1}},
    };
    for (const auto& [given, error, units] : cases) {
        SetPlotUnits(state, given[0], given[1], given[2], given[3]);
        EXPECT_EQ(QErrorInfo(1), error) << given[0] << " " << given[1];
        EXPECT_EQ((std::array{state.unitX1, state.unitY1, state.unitX2, state.unitY2}), units);
    }
}

TEST_F(GraphicsStateTest, UnitsMapLinearlyOntoTheAreaWithYUpward)
{
    SetPlotUnits(state, -10, 100, 10, 200);
    EXPECT_EQ((std::array{PixelX(state, -10, 1000), PixelX(state, 5, 1000), PixelX(state, 10, 1000)}),
              (std::array{0, 750, 1000}));
    EXPECT_EQ((std::array{PixelY(state, 100, 500), PixelY(state, 125, 500), PixelY(state, 200, 500)}),
              (std::array{500, 375, 0}));
    ResetGraphicsState(state);
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    EXPECT_EQ(PixelY(state, 0.5f, 768), 499);  // 0.35 up: row round(0.65 * 768)
    // Corners in any order; zero width or height is empty.
    for (auto [x1, y1, x2, y2] : {std::array{0.2f, 0.1f, 0.8f, 0.9f}, std::array{0.8f, 0.9f, 0.2f, 0.1f},
                                  std::array{0.2f, 0.9f, 0.8f, 0.1f}, std::array{0.8f, 0.1f, 0.2f, 0.9f}})
        EXPECT_EQ(BoxPixels(state, x1, y1, x2, y2, 1000, 1000), (PixelRect{350, 450, 650, 850})) << x1 << "," << y1;
    EXPECT_EQ(BoxPixels(state, 0.5f, 0, 0.5f, 1, 1024, 768), (PixelRect{512, 307, 512, 691}));
    EXPECT_EQ(BoxPixels(state, 0, 0.5f, 1, 0.5f, 1024, 768), (PixelRect{256, 499, 768, 499}));
}

TEST_F(GraphicsStateTest, ColourNumbersAre0To255AndComponentsAreClamped)
{
    DefineColour(state, 0, 1, 2, 3);
    DefineColour(state, 255, -2147483647, 2147483647, 256);
    SelectColour(state, 0);
    EXPECT_EQ(state.colour, 0);
    SelectColour(state, 255);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(std::pair(state.colours[0], state.colours[255]), std::pair(RGBColour{1, 2, 3}, RGBColour{0, 255, 255}));
    const auto before = state.colours;
    for (int32_t number : {-1, 256}) {
        DefineColour(state, number, 10, 20, 30);
        EXPECT_EQ(QErrorInfo(1), 42) << number;
        SelectColour(state, number);
        EXPECT_EQ(QErrorInfo(1), 42) << number;
    }
    EXPECT_EQ(state.colours, before);
    EXPECT_EQ(state.colour, 255);
}

TEST_F(GraphicsStateTest, FillStylesOutsideMinus2To4BecomeZero)
{
    for (auto [style, expected] : {std::array{-3, 0}, std::array{-2, -2}, std::array{1, 1}, std::array{4, 4},
                                   std::array{5, 0}, std::array{-100, 0}}) {
        SetFillStyle(state, 3);
        SetFillStyle(state, style);
        EXPECT_EQ(state.fillStyle, expected) << style;
    }
}

TEST_F(GraphicsStateTest, FontNumbersSelectFacesWeightsAndItalics)
{
    // Fonts 1 to 8 when proportional; with fixed spacing Courier New with the same weight and italics.
    const std::tuple<std::string_view, int32_t, bool> faces[] = {
        {"Arial", 400, false},           {"Arial", 400, true},           {"Arial", 700, false},
        {"Arial", 700, true},            {"Times New Roman", 400, false}, {"Times New Roman", 400, true},
        {"Times New Roman", 700, false}, {"Times New Roman", 700, true}};
    for (int32_t font = 1; font <= 8; ++font) {
        const auto& [face, weight, italic] = faces[font - 1];
        SetTextFont(state, font);
        EXPECT_EQ(state.font, font);
        const FontChoice p = FontFor(font, true), f = FontFor(font, false);
        EXPECT_EQ(std::tuple(p.face, p.weight, p.italic, f.face, f.weight, f.italic),
                  std::tuple(face, weight, italic, "Courier New"sv, weight, italic)) << font;
    }
}

TEST_F(GraphicsStateTest, CharacterCellIsAFractionOfTheAreaTimesTheFactors)
{
    // 1/75 of the area's width by 1/25 of its height.
    struct Case { float x1, y1, widthFactor, heightFactor; int32_t surfaceWidth, surfaceHeight, width, height; };
    for (const Case& c : {Case{0, 0, 1, 1, 1500, 1000, 20, 40}, Case{0, 0, 2.0f, 1.6f, 1500, 1000, 40, 64},
                          Case{0.5f, 0.5f, 2.0f, 1.6f, 1500, 1000, 20, 32}, Case{0, 0, 0.5f, 3, 750, 1250, 5, 150}}) {
        ResetGraphicsState(state);
        SetArea(state, c.x1, c.y1, 1, 1);
        SetTextSize(state, c.widthFactor, c.heightFactor);
        const CharacterSize cell = TextCharacterSize(state, c.surfaceWidth, c.surfaceHeight);
        EXPECT_EQ(std::pair(cell.width, cell.height), std::pair(c.width, c.height)) << c.x1 << " " << c.widthFactor;
    }
    SetPlotUnits(state, 0, 0, 255, 255);
    ResetGraphicsState(state);  // whole surface, units 0 to 1, the default cell
    EXPECT_EQ(BoxPixels(state, 0, 0, 1, 1, 750, 1250), (PixelRect{0, 0, 750, 1250}));
    EXPECT_EQ(TextCharacterSize(state, 750, 1250).height, 50);
}

TEST_F(GraphicsStateTest, BandsTileTheAreaWithoutGapOrOverlap)
{
    // Horizontal band k is the k-th strip from the top, vertical band k the k-th from the right.
    for (auto [width, height, bands] : {std::array{1024, 768, 255}, std::array{1023, 767, 127},
                                        std::array{200, 100, 255}, std::array{640, 480, 15}}) {
        for (float inset : {0.0f, 0.1f}) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " " << bands << " bands, inset " << inset);
            const float u = static_cast<float>(bands);
            SetArea(state, 2 * inset, inset, 1 - 3 * inset, 1 - inset);
            SetPlotUnits(state, 0, 0, u, u);
            const PixelRect area = AreaPixels(state, width, height);
            int32_t bottom = area.top, left = area.right;
            for (int32_t k = 0; k < bands; ++k) {
                const float kf = static_cast<float>(k);
                const PixelRect row = BoxPixels(state, 0, u - kf - 1, u, u - kf, width, height);
                const PixelRect column = BoxPixels(state, u - kf - 1, 0, u - kf, u, width, height);
                ASSERT_EQ(row, (PixelRect{area.left, bottom, area.right, row.bottom})) << "row band " << k;
                ASSERT_EQ(column, (PixelRect{column.left, area.top, left, area.bottom})) << "column band " << k;
                bottom = row.bottom, left = column.left;
            }
            EXPECT_EQ(std::pair(bottom, left), std::pair(area.bottom, area.left));
        }
    }
}

}  // namespace
