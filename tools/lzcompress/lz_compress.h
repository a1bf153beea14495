#pragma once
// LZ-compressed files as the Windows LZ expansion library (LZOpenFile,
// LZCopy, GetExpandedName) reads them: the "SZDD" form written by the
// classic compress program. Portable: built natively for the tests and the
// benchmark, and by the Windows compilers for the command-line tool.
//
// After a 14-byte header come groups of a flag byte and up to eight items,
// least significant bit first: 1 a literal byte, 0 a two-byte match that
// copies 3 to 18 bytes from a 4096-byte ring. The ring starts filled with
// blanks and the first byte is written at 0xFF0, so a match may reach up to
// 4096 bytes back, into those blanks too.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "system/lz_expand.h"  // the header's facts

// The header keeps the size in 32 bits, and the match search numbers
// positions in 31: a little under 2 GiB, far beyond any medium.
constexpr uint64_t kLzMaxInputSize = 0x7FFF0000u;

// A complete compressed file for data (at most kLzMaxInputSize bytes).
// replacedChar is the character the compressed file's name lost (see
// LzCompressedName), or 0. The parse is optimal: no file in this form holding
// the same data is smaller. An input of 64 KiB or more is searched on two
// threads; the file depends on the data alone.
std::vector<uint8_t> CompressLz(std::span<const uint8_t> data, char replacedChar);

struct ExpandedLz {
    std::vector<uint8_t> data;
    char replacedChar = 0;
    std::string error;  // empty on success; data is then complete
};

// Expands a compressed file; a malformed one gives an error and no data.
ExpandedLz ExpandLz(std::span<const uint8_t> file);

struct LzName {
    std::string name;       // the compressed file's name
    char replacedChar = 0;  // what the header keeps to undo it
    std::string error;      // set when no name can be derived
};

// The compressed file's name for a file name (which may include folders):
// an extension of three or more characters loses its last character to '_'
// ("DEMO.EXE" -> "DEMO.EX_", 'E'); a shorter one gets '_' appended ("A.C" ->
// "A.C_"); a name without an extension gets "._" ("README" -> "README._").
// GetExpandedName puts the replaced character back, or drops the '_'.
LzName LzCompressedName(std::string_view fileName);
