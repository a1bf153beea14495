#include "windows/backing_store.h"

#include <algorithm>
#include <utility>

#include "windows/device_context.h"

BackingStore& BackingStore::operator=(BackingStore&& other) noexcept
{
    if (this != &other) {
        Reset();
        dc_ = std::exchange(other.dc_, nullptr);
        bitmap_ = std::move(other.bitmap_);
        previous_ = std::exchange(other.previous_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

void BackingStore::Reset()
{
    if (dc_) {
        SelectObject(dc_, previous_);  // the bitmap must leave the DC before it is deleted
        DeleteDC(dc_);
    }
    bitmap_.reset();
    dc_ = nullptr;
    previous_ = nullptr;
    width_ = 0;
    height_ = 0;
}

bool BackingStore::Grow(int width, int height)
{
    width = std::max(width, width_);
    height = std::max(height, height_);
    if (dc_ && width == width_ && height == height_) return true;
    BackingStore grown;
    {
        const WindowDC screen(nullptr);
        grown.dc_ = CreateCompatibleDC(screen.get());
        grown.bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    }
    if (!grown.dc_ || !grown.bitmap_) return false;
    grown.previous_ = SelectObject(grown.dc_, grown.bitmap_.get());
    grown.width_ = width;
    grown.height_ = height;
    RECT all{0, 0, width, height};
    FillRect(grown.dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (dc_) BitBlt(grown.dc_, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    *this = std::move(grown);
    return true;
}
