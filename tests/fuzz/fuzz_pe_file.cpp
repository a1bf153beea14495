// A program file handed to the load check is outside input: any bytes. A file read has no error.
#include "pe_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PeFile pe;
    std::string error;
    if (ReadPeFile({data, size}, pe, error) && !error.empty()) __builtin_trap();
    return 0;
}
