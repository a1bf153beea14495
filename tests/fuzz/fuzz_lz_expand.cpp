// A compressed file on a medium is outside input: any bytes. The fuzz input
// is also data to compress, which must expand back to itself; and a file
// that expands is a parse of its data, which ours may never exceed.
#include <cstddef>
#include <cstdint>
#include <span>

#include "lz_compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    const ExpandedLz expanded = ExpandLz(input);
    if (expanded.error.empty() && size < kLzHeaderSize) __builtin_trap();
    if (!expanded.error.empty() && !expanded.data.empty()) __builtin_trap();
    if (expanded.error.empty() && CompressLz(expanded.data, 0).size() > size) __builtin_trap();

    const ExpandedLz back = ExpandLz(CompressLz(input, 'X'));
    if (!back.error.empty() || back.replacedChar != 'X' || back.data.size() != size) __builtin_trap();
    for (size_t i = 0; i < size; ++i)
        if (back.data[i] != data[i]) __builtin_trap();
    return 0;
}
