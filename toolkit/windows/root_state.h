#pragma once
// The root window's state while it is open; empty before and after.

#include <windows.h>

#include <cstdint>

#include "windows/backing_store.h"

struct RootState {
    HWND window = nullptr;  // the frame
    HWND client = nullptr;  // the drawing surface
    HWND statusBar = nullptr;
    BackingStore store;        // at least the client's size
    int32_t surfaceWidth = 0;  // the client's size, on which drawing is laid out
    int32_t surfaceHeight = 0;
    int32_t copyHolds = 0;  // ScreenCopyHold objects alive
    RECT heldCopy{};        // what changed on the surface while they were
    uint32_t changes = 0;   // of the surface: drawings and sizes, counted on across root windows
};

RootState& TheRootState();

// Window number of the root window in event records.
constexpr int32_t kRootWindowNumber = 0;
