// Bitmap files are outside input: any header may lie about sizes, depths, offsets and run-length data.
#include "picture_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckDecoder(DecodeBmp, kPictureBmp, {data, size});
    return 0;
}
