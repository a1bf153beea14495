// PCX files are outside input: any header may lie about the window, planes, line length and run-length data.
#include "picture_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckDecoder(DecodePcx, kPicturePcx, {data, size});
    return 0;
}
