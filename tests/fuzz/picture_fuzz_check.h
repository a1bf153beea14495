#pragma once
// What every decoded picture must satisfy, whatever the file held.
#include <algorithm>
#include <cstdint>

#include "graphics/picture_format.h"

inline void CheckDecoder(int32_t (*decode)(std::span<const uint8_t>, DecodedPicture&), int32_t type, std::span<const uint8_t> file)
{
    const PictureInfo info = RecognisePicture(file.first(std::min<size_t>(file.size(), 512)), file.size());
    DecodedPicture p;
    const int32_t code = decode(file, p);
    // A failure leaves nothing; whatever is drawn is recognised as that format with the same size (a top-down
    // bitmap reports its height negative), and every pixel is 0x00RRGGBB.
    bool ok = code == 0 || ((code == kPictureReadError || code == kPictureUnsupported) && p.width == 0 && p.height == 0 && p.pixels.empty());
    if (code == 0)
        ok = info.type == type && info.width == p.width && (info.height == p.height || (type == kPictureBmp && info.height == -p.height)) &&
             p.width >= 1 && p.width <= kMaxPictureSide && p.height >= 1 && p.height <= kMaxPictureSide &&
             p.pixels.size() == size_t(p.width) * size_t(p.height) && std::all_of(p.pixels.begin(), p.pixels.end(), [](uint32_t c) { return c <= 0xFFFFFFu; });
    if (!ok) __builtin_trap();
}
