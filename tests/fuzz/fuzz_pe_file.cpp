// A program file handed to the load check is outside input: any bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "pe_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PeFile pe;
    std::string error;
    const bool read = ReadPeFile(std::span<const uint8_t>(data, size), pe, error);
    if (read != error.empty() && read) __builtin_trap();
    return 0;
}
