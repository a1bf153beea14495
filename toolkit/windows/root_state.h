#pragma once
// The root window's handles while it is open; null before and after.

#include <windows.h>

struct RootState {
    HWND window = nullptr;
    HWND statusBar = nullptr;
};

RootState& TheRootState();
