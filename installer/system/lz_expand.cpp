#include "system/lz_expand.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::size_t kFirstRingPosition = 0xFF0;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kMatchMost = 18;
constexpr std::size_t kGroupMost = 8 * kMatchMost;  // what one flag byte's items can give
constexpr std::size_t kGroupBytes = 1 + 8 * 2;      // what one flag byte's items can take

}  // namespace

// The output keeps the last 4096 bytes written before the bytes of the
// chunk under way: a match's ring position is then a distance back into the
// output, and the ring itself is never kept. Bytes before the first one
// written are the ring's first blanks.
LzStreamResult ExpandLzStream(const LzReader& read, const LzWriter& write)
{
    LzStreamResult result;
    std::vector<uint8_t> in(kChunk + kGroupBytes);
    std::size_t at = 0;
    std::size_t size = 0;
    bool failed = false;
    bool ended = false;  // no more input: its end, or a read error
    // Moves what is left of the input to the front and reads more behind it.
    auto fill = [&] {
        std::memmove(in.data(), in.data() + at, size - at);
        size -= at;
        at = 0;
        std::size_t got = 0;
        failed = !read(in.data() + size, kChunk, got);
        ended = failed || got == 0;
        size += failed ? 0 : got;
    };
    while (size < kLzHeaderSize && !ended) fill();
    if (size < kLzHeaderSize) {
        const bool ours = size >= sizeof kLzMagic && std::memcmp(in.data(), kLzMagic, sizeof kLzMagic) == 0;
        result.outcome = failed ? LzOutcome::kReadFailed : ours ? LzOutcome::kCutHeader : LzOutcome::kNotTaken;
        return result;
    }
    if (std::memcmp(in.data(), kLzMagic, sizeof kLzMagic) != 0 || in[8] != kLzModeA) return result;
    result.replacedChar = static_cast<char>(in[9]);
    result.length = LzHeaderLength(in.data());
    at = kLzHeaderSize;

    std::vector<uint8_t> out(kRingSize + kChunk + kGroupMost + kMatchMost, ' ');
    uint8_t* const first = out.data() + kRingSize;  // the chunk under way starts here
    uint8_t* put = first;
    uint64_t position = 0;  // of the chunk's first byte in the whole output
    auto flush = [&] {
        const std::size_t n = static_cast<std::size_t>(put - first);
        const bool written = n == 0 || write(first, n);
        result.expanded += n;
        position += n;
        // The last 4096 bytes, blanks included while fewer were written, stay as history.
        std::memmove(out.data(), put - kRingSize, kRingSize);
        put = first;
        return written;
    };
    auto end = [&](LzOutcome outcome) {
        result.outcome = failed ? LzOutcome::kReadFailed : outcome;
        if (!flush() && result.outcome != LzOutcome::kReadFailed) result.outcome = LzOutcome::kWriteFailed;
        return result;
    };
    // A match: `count` bytes from ring position `from`. Far enough back, a
    // fixed 18 bytes are moved at once (the buffer has room behind, and what
    // lies beyond `count` is written over next); near, byte by byte, since the
    // bytes copied are then the ones it writes.
    auto copy = [&](std::size_t from, std::size_t count) {
        const std::size_t ringAt =
            static_cast<std::size_t>((position + (put - first) + kFirstRingPosition) % kRingSize);
        const std::size_t back = ((ringAt - from - 1) & (kRingSize - 1)) + 1;
        const uint8_t* source = put - back;
        if (back >= kMatchMost) {
            std::memcpy(put, source, kMatchMost);
        } else {
            for (std::size_t k = 0; k < count; ++k) put[k] = source[k];
        }
        put += count;
    };
    // One item of a group: a literal byte, or a match of two bytes.
    auto item = [&](bool literal) {
        if (literal) {
            *put++ = in[at++];
            return;
        }
        const std::size_t lo = in[at];
        const std::size_t hi = in[at + 1];
        at += 2;
        copy(lo | (hi & 0xF0) << 4, (hi & 0x0F) + 3);
    };
    for (;;) {
        while (size - at < kGroupBytes && !ended) fill();
        if (at == size) break;
        const int flags = in[at++];
        if (size - at >= kGroupBytes - 1) {
            // A whole group is there: no look at the end of the input.
            for (int i = 0; i < 8; ++i) item(flags >> i & 1);
        } else {
            // The last group: it may end anywhere, but not inside a match.
            for (int i = 0; i < 8 && at < size; ++i) {
                if (!(flags >> i & 1) && at + 1 == size) return end(LzOutcome::kCutMatch);
                item(flags >> i & 1);
            }
        }
        if (static_cast<std::size_t>(put - first) >= kChunk && !flush()) return end(LzOutcome::kWriteFailed);
    }
    if (failed) return end(LzOutcome::kReadFailed);
    const uint64_t total = result.expanded + static_cast<uint64_t>(put - first);
    return end(total < result.length   ? LzOutcome::kShort
               : total > result.length ? LzOutcome::kLong
                                       : LzOutcome::kExpanded);
}
