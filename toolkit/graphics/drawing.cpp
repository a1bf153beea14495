// The graphics operations: state changes, and drawing into the root
// window's backing store, from where each change is copied to the screen.
#include <windows.h>

#include <string>

#include "errors/errors.h"
#include "graphics/graphics.h"
#include "graphics/graphics_state.h"
#include "graphics/surface.h"
#include "startup/config.h"
#include "windows/device_context.h"
#include "windows/gdi_objects.h"
#include "windows/root_state.h"

namespace {

COLORREF CurrentColour()
{
    const GraphicsState& g = TheGraphicsState();
    const RGBColour c = g.colours[static_cast<std::size_t>(g.colour)];
    return RGB(c.red, c.green, c.blue);
}

}  // namespace

bool DrawingSurface(HDC& dc, int32_t& width, int32_t& height)
{
    RootState& root = TheRootState();
    if (!root.store.dc()) {
        RaiseError(kErrorSurface);
        return false;
    }
    ++root.changes;
    dc = root.store.dc();
    width = root.surfaceWidth;
    height = root.surfaceHeight;
    return true;
}

void ShowSurface(const PixelRect& changed)
{
    RootState& root = TheRootState();
    if (!root.client || !root.store.dc()) return;
    const int32_t left = std::max(0, changed.left), top = std::max(0, changed.top);
    const int32_t right = std::min(root.surfaceWidth, changed.right);
    const int32_t bottom = std::min(root.surfaceHeight, changed.bottom);
    if (right <= left || bottom <= top) return;
    if (root.copyHolds > 0) {
        const RECT part{left, top, right, bottom};
        UnionRect(&root.heldCopy, &root.heldCopy, &part);
        return;
    }
    WindowDC screen(root.client);
    if (!screen) return;
    BitBlt(screen.get(), left, top, right - left, bottom - top, root.store.dc(), left, top, SRCCOPY);
    // That part of the window shows the surface now: a paint pending for it would copy the same again and report a
    // redraw that the program answers by drawing everything anew.
    const RECT shown{left, top, right, bottom};
    ValidateRect(root.client, &shown);
}

uint32_t SurfaceChanges() { return TheRootState().changes; }

ScreenCopyHold::ScreenCopyHold() { ++TheRootState().copyHolds; }

ScreenCopyHold::~ScreenCopyHold()
{
    RootState& root = TheRootState();
    // The root window may have closed and opened again since: its count starts afresh.
    if (root.copyHolds == 0 || --root.copyHolds > 0) return;
    const RECT held = std::exchange(root.heldCopy, RECT{});
    ShowSurface({held.left, held.top, held.right, held.bottom});
}

void QGrInit(std::string_view) { ResetGraphicsState(TheGraphicsState()); }

void QGrFillStyle(int32_t style, int32_t, int32_t) { SetFillStyle(TheGraphicsState(), style); }

int32_t QGrInfo(int32_t item)
{
    switch (item) {
    case 30: return TheConfig().graduatedColours;
    default: return 0;
    }
}

void QGrDefineColour(int32_t number, int32_t red, int32_t green, int32_t blue, int32_t)
{
    DefineColour(TheGraphicsState(), number, red, green, blue);
}

void QGrArea(float x1, float y1, float x2, float y2) { SetArea(TheGraphicsState(), x1, y1, x2, y2); }
void QGrPlotUnits(float x1, float y1, float x2, float y2) { SetPlotUnits(TheGraphicsState(), x1, y1, x2, y2); }
void QGrColourN(int32_t number) { SelectColour(TheGraphicsState(), number); }
void QGrTextAlign(std::string_view code) { SetTextAlign(TheGraphicsState(), code); }
void QGrTextSpacing(std::string_view code) { SetTextSpacing(TheGraphicsState(), code); }
void QGrTextFont(int32_t font) { SetTextFont(TheGraphicsState(), font); }
void QGrTextSize(float widthFactor, float heightFactor) { SetTextSize(TheGraphicsState(), widthFactor, heightFactor); }

void QGrBox(float x1, float y1, float x2, float y2)
{
    if (x1 == x2 || y1 == y2) {
        RaiseError(kErrorShapeSize);
        return;
    }
    HDC dc;
    int32_t width, height;
    if (!DrawingSurface(dc, width, height)) return;
    const GraphicsState& g = TheGraphicsState();
    const PixelRect box = BoxPixels(g, x1, y1, x2, y2, width, height);
    if (box.right <= box.left || box.bottom <= box.top) return;
    RECT r{box.left, box.top, box.right, box.bottom};
    GdiObject<HBRUSH> brush(CreateSolidBrush(CurrentColour()));
    if (g.fillStyle != 0) FillRect(dc, &r, brush.get());
    if (g.fillStyle != 4) FrameRect(dc, &r, brush.get());
    ShowSurface(box);
}

void QGrCharOut(float x, float y, std::string_view text)
{
    std::string line(text);
    if (line.empty()) return;
    HDC dc;
    int32_t width, height;
    if (!DrawingSurface(dc, width, height)) return;
    const GraphicsState& g = TheGraphicsState();
    const CharacterSize cell = TextCharacterSize(g, width, height);
    const FontChoice choice = FontFor(g.font, g.proportional);
    std::string face(choice.face);
    GdiObject<HFONT> font(CreateFontA(-cell.height, 0, 0, 0, choice.weight, choice.italic, FALSE, FALSE, ANSI_CHARSET,
                                      OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                      (g.proportional ? VARIABLE_PITCH : FIXED_PITCH) | FF_DONTCARE, face.c_str()));
    const SavedDC saved(dc);  // the surface keeps its modes for the other drawing operations
    SelectedObject selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CurrentColour());
    // y is the vertical middle of the characters.
    const double above = g.proportional ? 0.4 : 0.5;
    const int32_t px = PixelX(g, x, width);
    const int32_t top = PixelY(g, y, height) - static_cast<int32_t>(above * cell.height + 0.5);
    UINT align = TA_TOP | (g.align == TextAlign::Left ? TA_LEFT : g.align == TextAlign::Right ? TA_RIGHT : TA_CENTER);
    SetTextAlign(dc, align);
    SIZE extent{};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    TextOutA(dc, px, top, line.c_str(), static_cast<int>(line.size()));
    int32_t left = g.align == TextAlign::Left ? px : g.align == TextAlign::Right ? px - extent.cx : px - extent.cx / 2;
    // Italic overhang and antialiasing reach a little beyond the extent.
    ShowSurface({left - cell.height, top - 2, left + extent.cx + cell.height, top + extent.cy + cell.height / 2});
}
