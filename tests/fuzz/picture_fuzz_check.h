#pragma once
// What every decoded picture must satisfy, whatever the file held.

#include <cstddef>
#include <cstdint>

#include "graphics/picture_format.h"

// code and picture: a decoder's result; info: the recognition of the same file.
inline void CheckDecodedPicture(int32_t code, const DecodedPicture& picture, const PictureInfo& info,
                                int32_t expectedType)
{
    if (code != 0) {
        if (code != kPictureReadError && code != kPictureUnsupported) __builtin_trap();
        if (picture.width != 0 || picture.height != 0 || !picture.pixels.empty()) __builtin_trap();
        return;
    }
    // Whatever is drawn is recognised as that format, with the same size
    // (a top-down bitmap reports its height negative).
    if (info.type != expectedType || info.width != picture.width) __builtin_trap();
    const bool topDown = expectedType == kPictureBmp && info.height == -picture.height;
    if (info.height != picture.height && !topDown) __builtin_trap();
    if (picture.width < 1 || picture.width > kMaxPictureSide || picture.height < 1 ||
        picture.height > kMaxPictureSide)
        __builtin_trap();
    if (picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        __builtin_trap();
    for (uint32_t pixel : picture.pixels)
        if (pixel > 0xFFFFFFu) __builtin_trap();
}
