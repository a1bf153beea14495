#include "graphics/graphics_state.h"

#include <algorithm>
#include <cmath>

#include "errors/errors.h"
#include "utilities/saturate.h"

std::array<RGBColour, 256> GraphicsState::StandardColours()
{
    // The 16 colours of the standard table; the rest start black.
    static constexpr RGBColour kStandard[16] = {
        {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0}, {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0}, {0, 255, 255},
        {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
    };
    std::array<RGBColour, 256> table{};
    std::copy(std::begin(kStandard), std::end(kStandard), table.begin());
    return table;
}

GraphicsState& TheGraphicsState()
{
    static GraphicsState state;
    return state;
}

void ResetGraphicsState(GraphicsState& state)
{
    // The colour table is the display's and survives a reset.
    std::array<RGBColour, 256> colours = state.colours;
    state = GraphicsState{};
    state.colours = colours;
}

void SetFillStyle(GraphicsState& state, int32_t style) { state.fillStyle = style < -2 || style > 4 ? 0 : style; }

void DefineColour(GraphicsState& state, int32_t number, int32_t red, int32_t green, int32_t blue)
{
    if (number < 0 || number > 255) {
        RaiseError(kErrorColour);
        return;
    }
    auto c = [](int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    state.colours[static_cast<std::size_t>(number)] = {c(red), c(green), c(blue)};
}

void SetArea(GraphicsState& state, float x1, float y1, float x2, float y2)
{
    auto inside = [](float v) { return v >= 0.0f && v <= 1.0f; };
    if (!(x2 > x1) || !(y2 > y1) || !inside(x1) || !inside(x2) || !inside(y1) || !inside(y2)) {
        RaiseError(kErrorAreaRange);
        x1 = y1 = 0;
        x2 = y2 = 1;
    }
    state.areaX1 = x1;
    state.areaY1 = y1;
    state.areaX2 = x2;
    state.areaY2 = y2;
}

void SetPlotUnits(GraphicsState& state, float x1, float y1, float x2, float y2)
{
    if (!(x2 > x1)) {
        RaiseError(kErrorUnitRange);
        x1 = 0;
        x2 = 1;
    }
    if (!(y2 > y1)) {
        y1 = 0;
        y2 = 1;
    }
    state.unitX1 = x1;
    state.unitY1 = y1;
    state.unitX2 = x2;
    state.unitY2 = y2;
}

void SelectColour(GraphicsState& state, int32_t number)
{
    if (number < 0 || number > 255) {
        RaiseError(kErrorColour);
        return;
    }
    state.colour = number;
}

void SetTextAlign(GraphicsState& state, std::string_view code)
{
    char c = code.empty() ? 'C' : code[0];
    state.align = c == 'L' || c == 'l' ? TextAlign::Left : c == 'R' || c == 'r' ? TextAlign::Right : TextAlign::Centre;
}

void SetTextSpacing(GraphicsState& state, std::string_view code)
{
    state.proportional = !code.empty() && (code[0] == 'P' || code[0] == 'p');
}

void SetTextFont(GraphicsState& state, int32_t font)
{
    if (font >= 1 && font <= 8) state.font = font;
}

void SetTextSize(GraphicsState& state, float widthFactor, float heightFactor)
{
    if (widthFactor > 0) state.widthFactor = widthFactor;
    if (heightFactor > 0) state.heightFactor = heightFactor;
}

namespace {

// Pixels are held to GDI's own coordinate range, so any coordinate plus a
// character cell or two still fits in 32 bits.
constexpr int32_t kPixelLimit = 1 << 27;

int32_t Round(double v) { return SaturatingInt32(std::floor(v + 0.5), -kPixelLimit, kPixelLimit); }

}  // namespace

PixelRect AreaPixels(const GraphicsState& state, int32_t width, int32_t height)
{
    return {Round(double{state.areaX1} * width), Round((1.0 - state.areaY2) * height),
            Round(double{state.areaX2} * width), Round((1.0 - state.areaY1) * height)};
}

int32_t PixelX(const GraphicsState& state, float x, int32_t width)
{
    const PixelRect area = AreaPixels(state, width, 0);
    const double t = (double{x} - state.unitX1) / (double{state.unitX2} - state.unitX1);
    return Round(static_cast<double>(area.left) + Round(t * (area.right - area.left)));
}

int32_t PixelY(const GraphicsState& state, float y, int32_t height)
{
    const PixelRect area = AreaPixels(state, 0, height);
    const double t = (double{y} - state.unitY1) / (double{state.unitY2} - state.unitY1);
    return Round(static_cast<double>(area.bottom) - Round(t * (area.bottom - area.top)));
}

PixelRect BoxPixels(const GraphicsState& state, float x1, float y1, float x2, float y2, int32_t width, int32_t height)
{
    const int32_t px1 = PixelX(state, x1, width), px2 = PixelX(state, x2, width);
    const int32_t py1 = PixelY(state, y1, height), py2 = PixelY(state, y2, height);
    return {std::min(px1, px2), std::min(py1, py2), std::max(px1, px2), std::max(py1, py2)};
}

CharacterSize TextCharacterSize(const GraphicsState& state, int32_t width, int32_t height)
{
    const PixelRect area = AreaPixels(state, width, height);
    return {Round((area.right - area.left) / 75.0 * state.widthFactor),
            Round((area.bottom - area.top) / 25.0 * state.heightFactor)};
}

FontChoice FontFor(int32_t font, bool proportional)
{
    const int32_t f = std::clamp(font, 1, 8) - 1;  // 0..7
    const bool bold = (f % 4) >= 2;
    const bool italic = (f % 2) == 1;
    std::string_view face = !proportional ? "Courier New" : f < 4 ? "Arial" : "Times New Roman";
    return {face, bold ? 700 : 400, italic};
}
