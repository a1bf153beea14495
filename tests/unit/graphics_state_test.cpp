#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

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

// ---------------------------------------------------------------------------
// Drawing area

TEST_F(GraphicsStateTest, ValidAreaIsKeptWithoutError)
{
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(state.areaX1, 0.25f);
    EXPECT_EQ(state.areaY1, 0.1f);
    EXPECT_EQ(state.areaX2, 0.75f);
    EXPECT_EQ(state.areaY2, 0.6f);
}

TEST_F(GraphicsStateTest, WholeSurfaceAreaIsValid)
{
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    SetArea(state, 0, 0, 1, 1);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(AreaPixels(state, 1024, 768), (PixelRect{0, 0, 1024, 768}));
}

TEST_F(GraphicsStateTest, InvalidAreaRaises44AndSelectsTheWholeSurface)
{
    struct Case {
        const char* what;
        float x1, y1, x2, y2;
    } cases[] = {
        {"x2 < x1", 0.6f, 0.1f, 0.4f, 0.9f},
        {"x2 == x1", 0.5f, 0.1f, 0.5f, 0.9f},
        {"y2 < y1", 0.1f, 0.7f, 0.9f, 0.3f},
        {"y2 == y1", 0.1f, 0.5f, 0.9f, 0.5f},
        {"x1 below 0", -0.1f, 0.1f, 0.9f, 0.9f},
        {"x2 above 1", 0.1f, 0.1f, 1.1f, 0.9f},
        {"y1 below 0", 0.1f, -0.1f, 0.9f, 0.9f},
        {"y2 above 1", 0.1f, 0.1f, 0.9f, 1.1f},
        {"all outside", -2.0f, -2.0f, 2.0f, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state.areaX1 = 0.25f, state.areaY1 = 0.25f, state.areaX2 = 0.5f, state.areaY2 = 0.5f;  // sentinel
        QErrorInfo(1);
        SetArea(state, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(QErrorInfo(1), 44);
        EXPECT_EQ(state.areaX1, 0.0f);
        EXPECT_EQ(state.areaY1, 0.0f);
        EXPECT_EQ(state.areaX2, 1.0f);
        EXPECT_EQ(state.areaY2, 1.0f);
        EXPECT_EQ(AreaPixels(state, 1024, 768), (PixelRect{0, 0, 1024, 768}));
    }
}

TEST_F(GraphicsStateTest, AreaPixelsCountYFromTheBottom)
{
    // x 0.25..0.75 of 1024; y 0.1..0.6 from the bottom of 768, so the top edge
    // lies 0.4 of the height down and the bottom edge 0.9.
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    const PixelRect area = AreaPixels(state, 1024, 768);
    EXPECT_EQ(area.left, 256);
    EXPECT_EQ(area.right, 768);
    EXPECT_EQ(area.top, 307);     // round(0.4 * 768 = 307.2)
    EXPECT_EQ(area.bottom, 691);  // round(0.9 * 768 = 691.2)
}

// ---------------------------------------------------------------------------
// Plot units

TEST_F(GraphicsStateTest, ValidPlotUnitsAreKeptWithoutError)
{
    SetPlotUnits(state, -10, 100, 10, 200);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(state.unitX1, -10.0f);
    EXPECT_EQ(state.unitY1, 100.0f);
    EXPECT_EQ(state.unitX2, 10.0f);
    EXPECT_EQ(state.unitY2, 200.0f);
}

TEST_F(GraphicsStateTest, EmptyOrReversedXUnitsRaise16AndUseZeroToOne)
{
    struct Case {
        float x1, x2;
    } cases[] = {{5, 5}, {10, -10}, {1, 0}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x1 << ".." << c.x2);
        QErrorInfo(1);
        SetPlotUnits(state, c.x1, 0, c.x2, 1);
        EXPECT_EQ(QErrorInfo(1), 16);
        EXPECT_EQ(state.unitX1, 0.0f);
        EXPECT_EQ(state.unitX2, 1.0f);
        EXPECT_EQ(PixelX(state, 0.5f, 1000), 500);
    }
}

TEST_F(GraphicsStateTest, EmptyOrReversedYUnitsUseZeroToOneWithoutError)
{
    struct Case {
        float y1, y2;
    } cases[] = {{5, 5}, {10, -10}, {1, 0}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "y " << c.y1 << ".." << c.y2);
        SetPlotUnits(state, -10, c.y1, 10, c.y2);
        EXPECT_EQ(QErrorInfo(1), 0);
        EXPECT_EQ(state.unitY1, 0.0f);
        EXPECT_EQ(state.unitY2, 1.0f);
        // The valid x range is kept.
        EXPECT_EQ(state.unitX1, -10.0f);
        EXPECT_EQ(state.unitX2, 10.0f);
        EXPECT_EQ(PixelY(state, 0.25f, 1000), 750);
    }
}

// ---------------------------------------------------------------------------
// Colours and fill style

TEST_F(GraphicsStateTest, DefineColourClampsEachComponent)
{
    struct Case {
        int32_t number, red, green, blue;
        RGBColour expected;
    } cases[] = {
        {0, 1, 2, 3, {1, 2, 3}},
        {255, 255, 255, 255, {255, 255, 255}},
        {5, -10, 300, 128, {0, 255, 128}},
        {129, 256, -1, 0, {255, 0, 0}},
        {17, -2147483647, 2147483647, 75, {0, 255, 75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        DefineColour(state, c.number, c.red, c.green, c.blue);
        EXPECT_EQ(QErrorInfo(1), 0);
        EXPECT_EQ(state.colours[static_cast<std::size_t>(c.number)], c.expected);
    }
}

TEST_F(GraphicsStateTest, DefineColourOutsideTheTableRaises42AndChangesNothing)
{
    const auto before = state.colours;
    for (int32_t number : {-1, 256, 1000, -2147483647}) {
        SCOPED_TRACE(number);
        DefineColour(state, number, 10, 20, 30);
        EXPECT_EQ(QErrorInfo(1), 42);
        EXPECT_EQ(state.colours, before);
    }
}

TEST_F(GraphicsStateTest, SelectColourAcceptsZeroTo255)
{
    for (int32_t number : {0, 1, 128, 254, 255}) {
        SelectColour(state, number);
        EXPECT_EQ(QErrorInfo(1), 0) << number;
        EXPECT_EQ(state.colour, number);
    }
}

TEST_F(GraphicsStateTest, SelectColourOutsideTheTableRaises42)
{
    for (int32_t number : {-1, 256, 1000}) {
        SelectColour(state, number);
        EXPECT_EQ(QErrorInfo(1), 42) << number;
    }
}

TEST_F(GraphicsStateTest, FillStylesOutsideMinus2To4BecomeZero)
{
    struct Case {
        int32_t style, expected;
    } cases[] = {
        {-2, -2}, {-1, -1}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4},
        {-3, 0},  {5, 0},   {100, 0}, {-100, 0},
    };
    for (const Case& c : cases) {
        state.fillStyle = 3;  // sentinel
        SetFillStyle(state, c.style);
        EXPECT_EQ(state.fillStyle, c.expected) << c.style;
    }
}

// ---------------------------------------------------------------------------
// Reset, text settings and fonts

TEST_F(GraphicsStateTest, ResetRestoresTheDrawingDefaults)
{
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    SetPlotUnits(state, 0, 0, 255, 255);
    SetTextAlign(state, "L");
    SetTextSpacing(state, "P");
    SetTextFont(state, 5);
    SetTextSize(state, 2.0f, 1.6f);
    ASSERT_EQ(state.align, TextAlign::Left);
    ASSERT_TRUE(state.proportional);
    ASSERT_EQ(state.font, 5);

    ResetGraphicsState(state);

    EXPECT_EQ(AreaPixels(state, 1024, 768), (PixelRect{0, 0, 1024, 768}));
    EXPECT_EQ(state.unitX1, 0.0f);
    EXPECT_EQ(state.unitY1, 0.0f);
    EXPECT_EQ(state.unitX2, 1.0f);
    EXPECT_EQ(state.unitY2, 1.0f);
    EXPECT_EQ(state.align, TextAlign::Centre);
    EXPECT_FALSE(state.proportional);
    EXPECT_EQ(state.font, 1);
    const CharacterSize cell = TextCharacterSize(state, 1500, 1000);
    EXPECT_EQ(cell.width, 20);
    EXPECT_EQ(cell.height, 40);
}

TEST_F(GraphicsStateTest, TextFontOneToEightIsSelected)
{
    for (int32_t font = 1; font <= 8; ++font) {
        SetTextFont(state, font);
        EXPECT_EQ(state.font, font);
    }
}

TEST(GraphicsFonts, ProportionalFaces)
{
    struct Case {
        int32_t font;
        std::string_view face;
        int32_t weight;
        bool italic;
    } cases[] = {
        {1, "Arial"sv, 400, false},
        {2, "Arial"sv, 400, true},
        {3, "Arial"sv, 700, false},
        {4, "Arial"sv, 700, true},
        {5, "Times New Roman"sv, 400, false},
        {6, "Times New Roman"sv, 400, true},
        {7, "Times New Roman"sv, 700, false},
        {8, "Times New Roman"sv, 700, true},
    };
    for (const Case& c : cases) {
        const FontChoice choice = FontFor(c.font, true);
        EXPECT_EQ(choice.face, c.face) << c.font;
        EXPECT_EQ(choice.weight, c.weight) << c.font;
        EXPECT_EQ(choice.italic, c.italic) << c.font;
    }
}

TEST(GraphicsFonts, FixedSpacingIsCourierNewWithTheSamePattern)
{
    struct Case {
        int32_t font, weight;
        bool italic;
    } cases[] = {
        {1, 400, false}, {2, 400, true}, {3, 700, false}, {4, 700, true},
        {5, 400, false}, {6, 400, true}, {7, 700, false}, {8, 700, true},
    };
    for (const Case& c : cases) {
        const FontChoice choice = FontFor(c.font, false);
        EXPECT_EQ(choice.face, "Courier New"sv) << c.font;
        EXPECT_EQ(choice.weight, c.weight) << c.font;
        EXPECT_EQ(choice.italic, c.italic) << c.font;
    }
}

// ---------------------------------------------------------------------------
// Character cell

TEST_F(GraphicsStateTest, DefaultCharacterCellIsAFractionOfTheArea)
{
    struct Case {
        const char* what;
        float x1, y1, x2, y2;
        float widthFactor, heightFactor;
        int32_t surfaceWidth, surfaceHeight;
        int32_t width, height;
    } cases[] = {
        // 1500 / 75 = 20, 1000 / 25 = 40.
        {"whole surface", 0, 0, 1, 1, 1, 1, 1500, 1000, 20, 40},
        {"the message size", 0, 0, 1, 1, 2.0f, 1.6f, 1500, 1000, 40, 64},
        // A 750 x 500 area: 10 by 20.
        {"quarter area", 0, 0, 0.5f, 0.5f, 1, 1, 1500, 1000, 10, 20},
        {"quarter area, message size", 0.5f, 0.5f, 1, 1, 2.0f, 1.6f, 1500, 1000, 20, 32},
        // 750 x 1250 surface: 10 by 50, halved and tripled.
        {"other factors", 0, 0, 1, 1, 0.5f, 3.0f, 750, 1250, 5, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetGraphicsState(state);
        SetArea(state, c.x1, c.y1, c.x2, c.y2);
        SetTextSize(state, c.widthFactor, c.heightFactor);
        EXPECT_EQ(QErrorInfo(1), 0);
        const CharacterSize cell = TextCharacterSize(state, c.surfaceWidth, c.surfaceHeight);
        EXPECT_EQ(cell.width, c.width);
        EXPECT_EQ(cell.height, c.height);
    }
}

// ---------------------------------------------------------------------------
// Mapping user units to pixels

TEST_F(GraphicsStateTest, UnitsMapLinearlyWithYGrowingUpward)
{
    SetPlotUnits(state, -10, 100, 10, 200);
    struct Case {
        float x;
        int32_t px;
    } xs[] = {{-10, 0}, {-5, 250}, {0, 500}, {5, 750}, {10, 1000}};
    for (const Case& c : xs) EXPECT_EQ(PixelX(state, c.x, 1000), c.px) << c.x;

    struct CaseY {
        float y;
        int32_t py;
    } ys[] = {{100, 500}, {125, 375}, {150, 250}, {175, 125}, {200, 0}};
    for (const CaseY& c : ys) EXPECT_EQ(PixelY(state, c.y, 500), c.py) << c.y;
}

TEST_F(GraphicsStateTest, UnitsMapOntoTheArea)
{
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    EXPECT_EQ(PixelX(state, 0, 1024), 256);
    EXPECT_EQ(PixelX(state, 1, 1024), 768);
    EXPECT_EQ(PixelX(state, 0.5f, 1024), 512);
    EXPECT_EQ(PixelY(state, 0, 768), 691);
    EXPECT_EQ(PixelY(state, 1, 768), 307);
    // Half way up the area is 0.35 of the surface from the bottom: row round(0.65 * 768 = 499.2).
    EXPECT_EQ(PixelY(state, 0.5f, 768), 499);
}

TEST_F(GraphicsStateTest, BoxCornersMayBeGivenInAnyOrder)
{
    const PixelRect expected{200, 100, 800, 900};
    struct Case {
        float x1, y1, x2, y2;
    } cases[] = {
        {0.2f, 0.1f, 0.8f, 0.9f},
        {0.8f, 0.9f, 0.2f, 0.1f},
        {0.2f, 0.9f, 0.8f, 0.1f},
        {0.8f, 0.1f, 0.2f, 0.9f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        EXPECT_EQ(BoxPixels(state, c.x1, c.y1, c.x2, c.y2, 1000, 1000), expected);
    }
}

TEST_F(GraphicsStateTest, WholeUnitBoxIsTheWholeArea)
{
    EXPECT_EQ(BoxPixels(state, 0, 0, 1, 1, 1024, 768), (PixelRect{0, 0, 1024, 768}));
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    EXPECT_EQ(BoxPixels(state, 0, 0, 1, 1, 1024, 768), (PixelRect{256, 307, 768, 691}));
}

TEST_F(GraphicsStateTest, ZeroWidthOrHeightBoxIsEmpty)
{
    const PixelRect thin = BoxPixels(state, 0.5f, 0, 0.5f, 1, 1024, 768);
    EXPECT_EQ(thin.left, thin.right);
    const PixelRect flat = BoxPixels(state, 0, 0.5f, 1, 0.5f, 1024, 768);
    EXPECT_EQ(flat.top, flat.bottom);
}

// How many boxes cover each pixel row (or column) of [0, size).
std::vector<int> Coverage(int32_t size, const std::vector<std::pair<int32_t, int32_t>>& spans)
{
    std::vector<int> count(static_cast<std::size_t>(size), 0);
    for (auto [from, to] : spans) {
        EXPECT_LE(from, to);
        for (int32_t i = from; i < to; ++i) {
            if (i < 0 || i >= size) {
                ADD_FAILURE() << "span " << from << ".." << to << " leaves the surface";
                break;
            }
            ++count[static_cast<std::size_t>(i)];
        }
    }
    return count;
}

struct Surface {
    int32_t width, height, bands;
};

constexpr Surface kSurfaces[] = {
    {1024, 748, 255}, {1024, 768, 255}, {1024, 768, 127}, {800, 600, 255}, {640, 480, 15},
    {1280, 1024, 127}, {1023, 767, 255}, {200, 100, 255},  // fewer rows than bands: some bands are empty
};

TEST_F(GraphicsStateTest, HorizontalBandsTileTheSurfaceExactly)
{
    for (const Surface& s : kSurfaces) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " " << s.bands << " bands");
        const float u = static_cast<float>(s.bands);
        SetPlotUnits(state, 0, 0, u, u);
        std::vector<std::pair<int32_t, int32_t>> rows;
        int32_t previousBottom = 0;
        for (int32_t k = 0; k < s.bands; ++k) {
            const float kf = static_cast<float>(k);
            const PixelRect box = BoxPixels(state, 0, u - kf - 1, u, u - kf, s.width, s.height);
            EXPECT_EQ(box.left, 0) << k;
            EXPECT_EQ(box.right, s.width) << k;
            // Band k lies directly below band k - 1: the start colour is at the top.
            EXPECT_EQ(box.top, previousBottom) << k;
            previousBottom = box.bottom;
            rows.emplace_back(box.top, box.bottom);
        }
        EXPECT_EQ(previousBottom, s.height);
        const std::vector<int> count = Coverage(s.height, rows);
        for (int32_t row = 0; row < s.height; ++row)
            EXPECT_EQ(count[static_cast<std::size_t>(row)], 1) << "row " << row;
    }
}

TEST_F(GraphicsStateTest, VerticalBandsTileTheSurfaceExactly)
{
    for (const Surface& s : kSurfaces) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " " << s.bands << " bands");
        const float u = static_cast<float>(s.bands);
        SetPlotUnits(state, 0, 0, u, u);
        std::vector<std::pair<int32_t, int32_t>> columns;
        int32_t previousLeft = s.width;
        for (int32_t k = 0; k < s.bands; ++k) {
            const float kf = static_cast<float>(k);
            const PixelRect box = BoxPixels(state, u - kf - 1, 0, u - kf, u, s.width, s.height);
            EXPECT_EQ(box.top, 0) << k;
            EXPECT_EQ(box.bottom, s.height) << k;
            // Band k is the k-th strip from the right.
            EXPECT_EQ(box.right, previousLeft) << k;
            previousLeft = box.left;
            columns.emplace_back(box.left, box.right);
        }
        EXPECT_EQ(previousLeft, 0);
        const std::vector<int> count = Coverage(s.width, columns);
        for (int32_t column = 0; column < s.width; ++column)
            EXPECT_EQ(count[static_cast<std::size_t>(column)], 1) << "column " << column;
    }
}

TEST_F(GraphicsStateTest, BandsInsideAnAreaTileTheArea)
{
    SetArea(state, 0.25f, 0.1f, 0.75f, 0.6f);
    SetPlotUnits(state, 0, 0, 127, 127);
    std::vector<std::pair<int32_t, int32_t>> rows;
    for (int32_t k = 0; k < 127; ++k) {
        const float kf = static_cast<float>(k);
        const PixelRect box = BoxPixels(state, 0, 127 - kf - 1, 127, 127 - kf, 1024, 768);
        EXPECT_EQ(box.left, 256) << k;
        EXPECT_EQ(box.right, 768) << k;
        rows.emplace_back(box.top, box.bottom);
    }
    const std::vector<int> count = Coverage(768, rows);
    for (int32_t row = 0; row < 768; ++row)
        EXPECT_EQ(count[static_cast<std::size_t>(row)], row >= 307 && row < 691 ? 1 : 0) << "row " << row;
}

TEST_F(GraphicsStateTest, NestedRectanglesShrinkTowardsTheBottomLeft)
{
    // Each rectangle is anchored at the bottom-left corner and one unit smaller than the last.
    SetPlotUnits(state, 0, 0, 255, 255);
    PixelRect previous = BoxPixels(state, 0, 0, 255, 255, 1024, 748);
    EXPECT_EQ(previous, (PixelRect{0, 0, 1024, 748}));
    for (int32_t k = 1; k < 255; ++k) {
        const float edge = static_cast<float>(255 - k);
        const PixelRect box = BoxPixels(state, 0, 0, edge, edge, 1024, 748);
        EXPECT_EQ(box.left, 0) << k;
        EXPECT_EQ(box.bottom, 748) << k;
        EXPECT_LT(box.right, previous.right) << k;
        EXPECT_GT(box.top, previous.top) << k;
        previous = box;
    }
}

}  // namespace
