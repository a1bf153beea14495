#include "system/lz_expand.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::size_t kFirstRingPosition = 0xFF0;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kGroupMost = 8 * 18;  // what one flag byte's items can give

// The input a byte at a time, read in chunks.
class Input {
public:
    explicit Input(const LzReader& read) : read_(read) {}
    // The next byte, or -1 at the end or on a read error (failed then set).
    int Next()
    {
        if (at_ == size_ && !Fill()) return -1;
        return buffer_[at_++];
    }
    bool failed = false;

private:
    bool Fill()
    {
        std::size_t got = 0;
        failed = !read_(buffer_.data(), buffer_.size(), got);
        at_ = 0;
        size_ = failed ? 0 : got;
        return size_ > 0;
    }
    const LzReader& read_;
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kChunk);
    std::size_t at_ = 0;
    std::size_t size_ = 0;
};

}  // namespace

LzStreamResult ExpandLzStream(const LzReader& read, const LzWriter& write)
{
    LzStreamResult result;
    Input in(read);
    std::array<uint8_t, kLzHeaderSize> header{};
    for (std::size_t i = 0; i < header.size(); ++i) {
        const int c = in.Next();
        if (c < 0) {
            const bool ours = i >= sizeof kLzMagic && std::memcmp(header.data(), kLzMagic, sizeof kLzMagic) == 0;
            result.outcome = in.failed ? LzOutcome::kReadFailed : ours ? LzOutcome::kCutHeader : LzOutcome::kNotTaken;
            return result;
        }
        header[i] = static_cast<uint8_t>(c);
    }
    if (std::memcmp(header.data(), kLzMagic, sizeof kLzMagic) != 0 || header[8] != kLzModeA) return result;
    result.replacedChar = static_cast<char>(header[9]);
    result.length = LzHeaderLength(header.data());

    std::array<uint8_t, kRingSize> ring;
    ring.fill(' ');
    std::size_t ringAt = kFirstRingPosition;
    std::vector<uint8_t> out(kChunk + kGroupMost);
    std::size_t outAt = 0;
    auto put = [&](int c) {
        ring[ringAt] = static_cast<uint8_t>(c);
        ringAt = (ringAt + 1) % kRingSize;
        out[outAt++] = static_cast<uint8_t>(c);
    };
    auto flush = [&] {
        result.expanded += outAt;
        const bool written = outAt == 0 || write(out.data(), outAt);
        outAt = 0;
        return written;
    };
    auto end = [&](LzOutcome outcome) {
        result.outcome = in.failed ? LzOutcome::kReadFailed : outcome;
        if (!flush() && result.outcome != LzOutcome::kReadFailed) result.outcome = LzOutcome::kWriteFailed;
        return result;
    };
    for (int flags; (flags = in.Next()) >= 0;) {
        for (int item = 0; item < 8; ++item) {
            const int first = in.Next();
            if (first < 0) break;  // the end may come within a group
            if (flags >> item & 1) {
                put(first);
                continue;
            }
            const int second = in.Next();
            if (second < 0) return end(LzOutcome::kCutMatch);
            const std::size_t from = static_cast<std::size_t>(first | (second & 0xF0) << 4);
            const int count = (second & 0x0F) + 3;
            for (int k = 0; k < count; ++k) put(ring[(from + static_cast<std::size_t>(k)) % kRingSize]);
        }
        if (outAt >= kChunk && !flush()) return end(LzOutcome::kWriteFailed);
    }
    if (in.failed) return end(LzOutcome::kReadFailed);
    const uint64_t total = result.expanded + outAt;
    return end(total < result.length   ? LzOutcome::kShort
               : total > result.length ? LzOutcome::kLong
                                       : LzOutcome::kExpanded);
}
