#pragma once
// The root window's state while it is open; empty before and after.

#include <windows.h>

#include <cstdint>

struct RootState {
    HWND window = nullptr;     // the frame
    HWND client = nullptr;     // the drawing surface
    HWND statusBar = nullptr;
    // Backing store of the client area: what the graphics operations drew,
    // so that uncovered parts come back without waiting for the program.
    HDC surfaceDC = nullptr;
    HBITMAP surfaceBitmap = nullptr;
    HGDIOBJ surfaceOldBitmap = nullptr;
    int32_t surfaceWidth = 0;   // the client's size, on which drawing is laid out
    int32_t surfaceHeight = 0;
    int32_t storeWidth = 0;     // the bitmap's, at least the client's
    int32_t storeHeight = 0;
};

RootState& TheRootState();

// Window number of the root window in event records.
constexpr int32_t kRootWindowNumber = 0;
