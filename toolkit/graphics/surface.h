#pragma once
// The drawing surface of the graphics operations: the root window's
// backing store.

#include <windows.h>

#include <cstdint>

#include "graphics/graphics_state.h"

// The surface's device context and size; false (error 1019) without a root window.
bool DrawingSurface(HDC& dc, int32_t& width, int32_t& height);
// Copies a changed part of the surface to the screen.
void ShowSurface(const PixelRect& changed);
