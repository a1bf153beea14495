// PCX files are outside input: any header may lie about the window, planes,
// line length and run-length data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> file(data, size);
    const PictureInfo info = RecognisePicture(file.first(std::min<size_t>(size, 512)), size);

    DecodedPicture picture;
    const int32_t code = DecodePcx(file, picture);
    if (code != 0) {
        if (code != kPictureReadError && code != kPictureUnsupported) __builtin_trap();
        if (picture.width != 0 || picture.height != 0 || !picture.pixels.empty()) __builtin_trap();
        return 0;
    }
    // Whatever is drawn is recognised as a PCX picture of the same size.
    if (info.type != kPicturePcx || info.width != picture.width) __builtin_trap();
    if (info.height != picture.height) __builtin_trap();
    if (picture.width < 1 || picture.width > kMaxPictureSide || picture.height < 1 ||
        picture.height > kMaxPictureSide)
        __builtin_trap();
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height))
        __builtin_trap();
    for (uint32_t pixel : picture.pixels)
        if (pixel > 0xFFFFFF) __builtin_trap();
    return 0;
}
