#pragma once
// The backing store of the root window's client area: a memory device
// context with its bitmap selected, owned together, holding what the
// graphics operations drew so that uncovered parts come back without
// waiting for the program.

#include <windows.h>

#include "windows/gdi_objects.h"

class BackingStore {
public:
    BackingStore() = default;
    BackingStore(const BackingStore&) = delete;
    BackingStore& operator=(const BackingStore&) = delete;
    BackingStore(BackingStore&& other) noexcept { *this = std::move(other); }
    BackingStore& operator=(BackingStore&& other) noexcept;
    ~BackingStore() { Reset(); }

    // At least width x height, keeping what was drawn; what it gains starts
    // white like the window. Never shrinks. False when GDI refuses, the
    // store then unchanged.
    bool Grow(int width, int height);
    void Reset();

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_ = nullptr;
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ previous_ = nullptr;  // what the DC held before the bitmap
    int width_ = 0, height_ = 0;
};
