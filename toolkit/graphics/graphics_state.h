#pragma once
// The drawing state of the graphics operations and the arithmetic that maps
// user units to pixels. Portable: no drawing here.

#include <array>
#include <cstdint>
#include <string_view>

struct RGBColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const RGBColour&, const RGBColour&) = default;
};

struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;   // exclusive
    int32_t bottom = 0;  // exclusive
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

enum class TextAlign { Left, Centre, Right };

struct GraphicsState {
    // Drawing area in fractions of the surface, y from the bottom edge.
    float areaX1 = 0, areaY1 = 0, areaX2 = 1, areaY2 = 1;
    // User units of the area.
    float unitX1 = 0, unitY1 = 0, unitX2 = 1, unitY2 = 1;
    int32_t fillStyle = 0;
    int32_t colour = 0;
    std::array<RGBColour, 256> colours = StandardColours();
    TextAlign align = TextAlign::Centre;
    bool proportional = false;
    int32_t font = 1;
    float widthFactor = 1;
    float heightFactor = 1;

    static std::array<RGBColour, 256> StandardColours();
};

GraphicsState& TheGraphicsState();

// The operations that only change the state (each raises its own errors).
void ResetGraphicsState(GraphicsState& state);
void SetFillStyle(GraphicsState& state, int32_t style);
void DefineColour(GraphicsState& state, int32_t number, int32_t red, int32_t green, int32_t blue);
void SetArea(GraphicsState& state, float x1, float y1, float x2, float y2);
void SetPlotUnits(GraphicsState& state, float x1, float y1, float x2, float y2);
void SelectColour(GraphicsState& state, int32_t number);
void SetTextAlign(GraphicsState& state, std::string_view code);
void SetTextSpacing(GraphicsState& state, std::string_view code);
void SetTextFont(GraphicsState& state, int32_t font);
void SetTextSize(GraphicsState& state, float widthFactor, float heightFactor);

// Pixel arithmetic for a surface of width x height pixels. Every edge is
// rounded the same way, so boxes that share an edge in user units share it
// in pixels: no gap and no overlap.
int32_t PixelX(const GraphicsState& state, float x, int32_t width);
int32_t PixelY(const GraphicsState& state, float y, int32_t height);
PixelRect AreaPixels(const GraphicsState& state, int32_t width, int32_t height);
PixelRect BoxPixels(const GraphicsState& state, float x1, float y1, float x2, float y2, int32_t width, int32_t height);

// The character cell: 1/75 of the area's width by 1/25 of its height, times the size factors.
struct CharacterSize {
    int32_t width = 0;
    int32_t height = 0;
};
CharacterSize TextCharacterSize(const GraphicsState& state, int32_t width, int32_t height);

struct FontChoice {
    std::string_view face;
    int32_t weight = 400;
    bool italic = false;
};
FontChoice FontFor(int32_t font, bool proportional);
