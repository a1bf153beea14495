#pragma once
// What the picture recognition and the decoders share: bounds-checked reads
// of little-endian values, palettes and the decoders' common frame. Every
// picture file is outside input: each read is checked and every size is
// settled, in 64-bit arithmetic, before anything is allocated.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <string_view>
#include <utility>

#include "graphics/picture_format.h"

namespace picture_bytes {

using Bytes = std::span<const uint8_t>;

inline bool Has(Bytes b, std::size_t offset, std::size_t n) { return offset <= b.size() && n <= b.size() - offset; }

// Little-endian header values; bytes beyond the data read as 0.
inline uint32_t U8(Bytes b, std::size_t o) { return Has(b, o, 1) ? b[o] : 0; }
inline uint32_t U16(Bytes b, std::size_t o) { return U8(b, o) | U8(b, o + 1) << 8; }
inline uint32_t U32(Bytes b, std::size_t o) { return U16(b, o) | U16(b, o + 2) << 16; }
inline int32_t S16(Bytes b, std::size_t o) { return static_cast<int16_t>(U16(b, o)); }
inline int32_t S32(Bytes b, std::size_t o) { return static_cast<int32_t>(U32(b, o)); }

inline bool Matches(Bytes b, std::size_t offset, std::string_view signature)
{
    if (!Has(b, offset, signature.size())) return false;
    for (std::size_t i = 0; i < signature.size(); ++i)
        if (b[offset + i] != static_cast<uint8_t>(signature[i])) return false;
    return true;
}

// 2 to the power exponent; exponents past the int32 range saturate (32-bit
// bitmaps), negative ones give 0 as integer powers do.
inline int32_t PowerOfTwo(int64_t exponent)
{
    if (exponent < 0) return 0;
    if (exponent > 30) return std::numeric_limits<int32_t>::max();
    return int32_t{1} << exponent;
}

constexpr uint32_t kBlack = 0;

inline bool WithinLimits(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

inline uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// Indices beyond the palette give black.
struct Palette {
    std::vector<uint32_t> colours;
    uint32_t operator[](uint32_t index) const { return index < colours.size() ? colours[index] : kBlack; }
};

inline int32_t Decode(int32_t (*reader)(Bytes, DecodedPicture&), Bytes file, DecodedPicture& out)
{
    out = {};
    DecodedPicture picture;
    const int32_t rc = reader(file, picture);
    if (rc == 0) out = std::move(picture);
    return rc;
}

}  // namespace picture_bytes
