#pragma once
// The root window: the program's full-screen frame with its client area,
// on which the graphics operations draw.

#include <cstdint>
#include <span>

#include "utilities/fixed_text.h"

// Flag bits of the root-window record.
enum : int32_t {
    kRootSystemMenu = 1 << 0,
    kRootMinimiseBox = 1 << 1,
    kRootMaximiseBox = 1 << 2,
    kRootMaximised = 1 << 3,
    kRootStatusBar = 1 << 5,
    kRootFixedSize = 1 << 6,
    kRootHidden = 1 << 7,
    kRootOnTop = 1 << 9,
};

struct RootSettings {
    int32_t flags = 0;
    int32_t x = -1;  // negative: centred
    int32_t y = -1;
    int32_t width = 0;  // client size; below 1: 80 % of the screen
    int32_t height = 0;
    int32_t menu = 0;  // menu resource id, 0 for none
    FixedText<80> title;
};

void QRootOpen(RootSettings& settings, int32_t colours);
void QRootTitle(std::string_view text);
void QRootClose();
// 1 screen width, 2 screen height (pixels), 3 display colours.
int32_t QScreenInfo(int32_t item);

// Where the root window's client area lies on the screen (all 0 when the
// root window is not open): for placing child dialogs at screen positions.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};
ScreenRect RootClientOnScreen();
// The 0-9999 scale value of a child dialog's y that puts its top edge at
// screen row y (the smallest such value).
int32_t ChildScaleForScreenY(int32_t y);

// Whether text typed with one of the keyboard layouts (their handles) may be composed through the input method
// manager: the layout of an input method (E in the top digit), or a Chinese, Japanese or Korean one, whose input
// methods may be of the kinds that take no layout of their own.
constexpr bool ComposesThroughInputMethod(std::span<const uint32_t> layouts)
{
    for (const uint32_t layout : layouts) {
        const uint32_t language = layout & 0x3FF;
        if (layout >> 28 == 0xE || language == 0x04 || language == 0x11 || language == 0x12) return true;
    }
    return false;
}
