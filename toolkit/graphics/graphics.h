#pragma once
// Drawing on the root window's client area. Coordinates: the drawing area
// is given in fractions of the surface (y from the bottom edge); user units
// map linearly onto the area (y grows upward).

#include <cstdint>
#include <span>
#include <string_view>

void QGrInit(std::string_view option);
// 4: solid fill without outline; 0: outline only. Styles outside -2 to 4 become 0.
void QGrFillStyle(int32_t style, int32_t density = 2, int32_t angle = 3);
// 30: the number of graduated colours of the display.
int32_t QGrInfo(int32_t item);
void QGrDefineColour(int32_t number, int32_t red, int32_t green, int32_t blue, int32_t flag = 0);
void QGrArea(float x1, float y1, float x2, float y2);
void QGrPlotUnits(float x1, float y1, float x2, float y2);
void QGrColourN(int32_t number);
void QGrBox(float x1, float y1, float x2, float y2);
void QGrTextAlign(std::string_view code);    // "L", "C" or "R"
void QGrTextSpacing(std::string_view code);  // "P" proportional, "F" fixed
void QGrTextFont(int32_t font);              // 1 to 8
void QGrTextSize(float widthFactor, float heightFactor);
void QGrCharOut(float x, float y, std::string_view text);

// How often the drawing surface has changed: drawn on, laid out on another
// size, or come with a new root window. While the count stays, the surface
// holds what it held.
uint32_t SurfaceChanges();

// While one lives, what the drawing changes reaches the screen only when the
// last one ends, in one copy: a background of 255 bands costs one round trip
// to the window system instead of 255.
class ScreenCopyHold {
public:
    ScreenCopyHold();
    ~ScreenCopyHold();
    ScreenCopyHold(const ScreenCopyHold&) = delete;
    ScreenCopyHold& operator=(const ScreenCopyHold&) = delete;
};

// Picture files: recognition and drawing into the current area.
void QGrImageType(std::string_view fileName, std::span<int32_t> info, int32_t count);
void QGrLoadImage(std::string_view fileName, int32_t option = 0);
