// Picture files are outside input: any header may lie about sizes, depths, offsets, planes, line lengths and
// run-length data. A file starting with B goes to the bitmap decoder, any other to the PCX decoder.
#include <algorithm>

#include "graphics/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> file(data, size);
    const bool bmp = size > 0 && data[0] == 'B';
    const PictureInfo info = RecognisePicture(file.first(std::min<size_t>(size, 512)), size);
    DecodedPicture p;
    const int32_t code = (bmp ? DecodeBmp : DecodePcx)(file, p);
    // A failure leaves nothing; whatever is drawn is recognised as that format with the same size (a top-down
    // bitmap reports its height negative), and every pixel is 0x00RRGGBB.
    if (code != 0 && (code == kPictureReadError || code == kPictureUnsupported) && p.width == 0 && p.height == 0 &&
        p.pixels.empty())
        return 0;
    const bool sameHeight = info.height == p.height || (bmp && info.height == -p.height);
    if (code != 0 || info.type != (bmp ? kPictureBmp : kPicturePcx) || info.width != p.width || !sameHeight ||
        p.width < 1 || p.width > kMaxPictureSide || p.height < 1 || p.height > kMaxPictureSide ||
        p.pixels.size() != size_t(p.width) * size_t(p.height) ||
        !std::ranges::all_of(p.pixels, [](uint32_t c) { return c <= 0xFFFFFFu; }))
        __builtin_trap();
    return 0;
}
