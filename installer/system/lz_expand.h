#pragma once
// LZ-compressed ("SZDD") files of a medium expanded by the program itself:
// the LZ library of the first systems hands out its bytes through a call a
// few bytes at a time, several times slower than the copy around it. The
// format: a 14-byte header (the magic, the mode 'A', the character the
// file's name lost, the expanded length), then groups of a flag byte and up
// to eight items, least significant bit first: 1 a literal byte, 0 two bytes
// that copy 3 to 18 bytes from a 4096-byte ring, which starts filled with
// blanks, the first byte going to 0xFF0. Portable.

#include <cstddef>
#include <cstdint>
#include <functional>

// The header, as the compressor writes it and the copy reads it.
constexpr std::size_t kLzHeaderSize = 14;
constexpr uint8_t kLzMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr uint8_t kLzModeA = 'A';
// The expanded length in a header of kLzHeaderSize bytes.
constexpr uint32_t LzHeaderLength(const uint8_t* header)
{
    return header[10] | header[11] << 8 | header[12] << 16 | static_cast<uint32_t>(header[13]) << 24;
}

enum class LzOutcome {
    kExpanded,
    kNotTaken,   // not this form, or another mode: nothing was written, for the LZ library to try
    kCutHeader,  // the header itself ends early
    kCutMatch,   // the file ends between a match's two bytes
    kShort,      // fewer bytes than the header's length
    kLong,       // more bytes than the header's length
    kReadFailed,
    kWriteFailed,
};

struct LzStreamResult {
    LzOutcome outcome = LzOutcome::kNotTaken;
    char replacedChar = 0;
    uint64_t expanded = 0;  // bytes written
    uint64_t length = 0;    // what the header gives
};

// Reads up to `capacity` bytes; `got` 0 at the end; false on a read error.
using LzReader = std::function<bool(uint8_t* buffer, std::size_t capacity, std::size_t& got)>;
// Writes all `size` bytes, or false.
using LzWriter = std::function<bool(const uint8_t* data, std::size_t size)>;

// Expands the file `read` gives from its first byte into `write`, in pieces of
// about 64 KB. The whole stream is expanded whatever its header says (at most
// nine times the input), so that a damaged file is reported with its true size.
LzStreamResult ExpandLzStream(const LzReader& read, const LzWriter& write);
