// Bitmap files are outside input: any header may lie about sizes, depths,
// offsets and run-length data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "picture_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> file(data, size);
    const PictureInfo info = RecognisePicture(file.first(std::min<size_t>(size, 512)), size);
    DecodedPicture picture;
    const int32_t code = DecodeBmp(file, picture);
    CheckDecodedPicture(code, picture, info, kPictureBmp);
    return 0;
}
