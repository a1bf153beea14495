// A compressed file on a medium is outside input: any bytes. The fuzz input is also data to compress, which must
// expand back to itself; and a file that expands is a parse of its data, which ours may never exceed.
#include <algorithm>

#include "lz_compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    const ExpandedLz expanded = ExpandLz(input);
    const bool good = expanded.error.empty();
    if ((good && size < kLzHeaderSize) || (!good && !expanded.data.empty()) ||
        (good && CompressLz(expanded.data, 0).size() > size))
        __builtin_trap();
    const ExpandedLz back = ExpandLz(CompressLz(input, 'X'));
    if (!back.error.empty() || back.replacedChar != 'X' || !std::ranges::equal(back.data, input)) __builtin_trap();
    return 0;
}
