#pragma once
// Owners of GDI objects, a guard that selects one into a device context and
// puts the previous one back, and one that puts back a context's whole state.

#include <windows.h>

#include <utility>

template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle h) : h_(h) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : h_(other.Detach()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        reset(other.Detach());
        return *this;
    }
    ~GdiObject() { reset(); }
    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    // Deletes the object owned (never one still selected into a DC) and owns h.
    void reset(Handle h = nullptr)
    {
        if (h_ && h_ != h) DeleteObject(h_);
        h_ = h;
    }
    Handle Detach() { return std::exchange(h_, nullptr); }

private:
    Handle h_ = nullptr;
};

// Whatever a drawing routine changes in a device context (modes, colours,
// alignment, selected objects) is put back as it was.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
    ~SavedDC()
    {
        if (saved_) RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
