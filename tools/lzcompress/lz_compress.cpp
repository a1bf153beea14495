#include "lz_compress.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

namespace {

constexpr std::size_t kWindow = 4096;
constexpr std::size_t kFirstRingPos = 0xFF0;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr uint32_t kLiteralBits = 9;
constexpr uint32_t kMatchBits = 17;

constexpr std::size_t kTreeKey = 6;  // the bytes that choose a match's tree
constexpr int kTreeHashBits = 15;
constexpr int kChainHashBits = 14;
constexpr std::size_t kSlots = 2 * kWindow;  // links by position; more than the window
constexpr int32_t kNone = -1;

// The eight bytes at p, the first in the lowest bits.
uint64_t Load8(const uint8_t* p)
{
    static_assert(std::endian::native == std::endian::little);
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// A hash of the first `bytes` bytes (1 to 8) of eight, in `bits` bits.
uint32_t HashOf(uint64_t eight, std::size_t bytes, int bits)
{
    return static_cast<uint32_t>(((eight << (64 - 8 * bytes)) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

// Whether a and b start with the same `bytes` bytes (1 to 8).
bool SameStart(const uint8_t* a, const uint8_t* b, std::size_t bytes)
{
    return ((Load8(a) ^ Load8(b)) << (64 - 8 * bytes)) == 0;
}

// The length of the common prefix of a and b, at most kMaxMatch. Reads 24
// bytes from each: the text is padded. Without branches, since where two
// keys differ is data.
std::size_t CommonPrefix(const uint8_t* a, const uint8_t* b)
{
    uint64_t x[3], y[3];
    std::memcpy(x, a, sizeof x);
    std::memcpy(y, b, sizeof y);
    const int z0 = std::countr_zero(x[0] ^ y[0]), z1 = std::countr_zero(x[1] ^ y[1]);
    const int z2 = std::countr_zero((x[2] ^ y[2]) | uint64_t{1} << 16);
    return static_cast<std::size_t>(z0 < 64 ? z0 / 8 : z1 < 64 ? 8 + z1 / 8 : 16 + z2 / 8);
}

struct Matches {
    // The longest match at each position, 0 when shorter than kMinMatch;
    // once parsed, the length of the item chosen there (1 a literal).
    std::unique_ptr<uint8_t[]> length;
    std::unique_ptr<uint16_t[]> source;  // ring position the match copies from
};

// The longest match of every text position in [first, last), where the text
// t holds the data from kWindow to end. Only the window before a position
// counts, so a range needs the starts of the kWindow positions before it and
// nothing earlier: ranges can be searched apart, each with trees of its own.
//
// Every earlier start within the window sits in a binary search tree keyed by
// its next 18 bytes, one tree per hash of the first six. The longest match of
// a new key is with its neighbour in key order, and both neighbours lie on
// the path that inserting the key walks, so walking it finds the longest
// match of six bytes or more when there is one (the parse after this needs
// the true longest). Each key is inserted as the new root, splitting the old
// tree along that path; a node is then always newer than everything below
// it, so the first node found outside the window cuts off its whole subtree.
// A node with an equal key is replaced by the new one.
//
// Shorter matches come from chains, one per hash of the first five, four and
// three bytes: with no longer match in the window, the first start on the
// chain that shares those bytes will do, and the chain holds them all.
void FindMatchesIn(const uint8_t* t, std::size_t end, std::size_t first, std::size_t last, const Matches& m)
{
    // The blanks before the data all have the same key, each replacing the
    // one before: only the last such start would stay in the tree.
    std::size_t pos = first == kWindow ? kWindow - kMaxMatch : first - kWindow;
    // A small input fills small tables: large ones would cost more to clear
    // than its whole search.
    const int spread = static_cast<int>(std::bit_width(last - pos));
    const int treeBits = std::clamp(spread, 8, kTreeHashBits), chainBits = std::clamp(spread, 8, kChainHashBits);
    std::vector<int32_t> root(std::size_t{1} << treeBits, kNone);
    // children[2 * (pos % kSlots) + side]: side 0 the smaller keys, 1 the
    // larger. A start's links, like its place on the chains, are written when
    // it is inserted, before anything reads them: no need to clear these.
    const auto children = std::make_unique_for_overwrite<int32_t[]>(2 * kSlots);
    struct Chain {
        std::size_t bytes;
        std::vector<int32_t> newest;
        std::unique_ptr<int32_t[]> previous = std::make_unique_for_overwrite<int32_t[]>(kSlots);  // by position
    };
    const std::size_t chainHeads = std::size_t{1} << chainBits;
    Chain five{5, std::vector<int32_t>(chainHeads, kNone)}, four{4, std::vector<int32_t>(chainHeads, kNone)},
        three{kMinMatch, std::vector<int32_t>(chainHeads, kNone)};
    Chain* const chains[] = {&five, &four, &three};
    // A match of chain.bytes when nothing as long was found, from the newest
    // start `from` on.
    auto chainMatch = [&](const Chain& chain, int32_t from, std::size_t pos, int32_t oldest, std::size_t& best,
                          std::size_t& bestFrom) {
        for (; best < chain.bytes && from >= oldest; from = chain.previous[static_cast<std::size_t>(from) % kSlots])
            if (SameStart(t + from, t + pos, chain.bytes))
                best = chain.bytes, bestFrom = static_cast<std::size_t>(from);
    };
    // Nothing of six: the longest match is shorter, and without a match of
    // three there is none at all, which is what most positions of data that
    // does not compress find. heads: the newest earlier start on each chain.
    auto shorterMatch = [&](const int32_t(&heads)[3], std::size_t pos, int32_t oldest, std::size_t limit,
                            std::size_t& best, std::size_t& bestFrom) {
        if (best >= kTreeKey) return;
        chainMatch(three, heads[2], pos, oldest, best, bestFrom);
        if (best < kMinMatch) return;
        if (limit >= five.bytes) chainMatch(five, heads[0], pos, oldest, best, bestFrom);
        if (limit >= four.bytes) chainMatch(four, heads[1], pos, oldest, best, bestFrom);
    };
    auto record = [&](std::size_t pos, std::size_t len, std::size_t from) {
        if (pos < first) return;
        m.length[pos - kWindow] = static_cast<uint8_t>(len < kMinMatch ? 0 : len);
        // Text position kWindow is written at ring position kFirstRingPos.
        m.source[pos - kWindow] = static_cast<uint16_t>((from + kFirstRingPos) % kWindow);
    };

    for (; pos < last && pos + kMaxMatch <= end; ++pos) {
        const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow : 0);
        const uint64_t key = Load8(t + pos);
        int32_t sameStart[3];  // the newest earlier start on each chain
        for (std::size_t c = 0; c < 3; ++c) {
            int32_t& newest = chains[c]->newest[HashOf(key, chains[c]->bytes, chainBits)];
            sameStart[c] = newest;
            newest = static_cast<int32_t>(pos);
            chains[c]->previous[pos % kSlots] = sameStart[c];
        }
        int32_t& treeRoot = root[HashOf(key, kTreeKey, treeBits)];
        int32_t node = treeRoot;
        treeRoot = static_cast<int32_t>(pos);
        // Where the next node of each side goes.
        int32_t* smallerLink = &children[2 * (pos % kSlots)];
        int32_t* largerLink = smallerLink + 1;
        std::size_t best = 0, bestFrom = 0;
        for (;;) {
            if (node < oldest) {  // kNone too
                *smallerLink = *largerLink = kNone;
                break;
            }
            const std::size_t len = CommonPrefix(t + node, t + pos);
            if (len > best) best = len, bestFrom = static_cast<std::size_t>(node);
            int32_t* nodeChildren = &children[2 * (static_cast<std::size_t>(node) % kSlots)];
            if (len == kMaxMatch) {
                *smallerLink = nodeChildren[0];
                *largerLink = nodeChildren[1];
                break;
            }
            // A node smaller than the new key joins the smaller side, and the
            // walk goes on among its larger children; the other way round too.
            // Which way is data, so the choice is made without branches.
            const bool nodeSmaller = t[node + len] < t[pos + len];
            *(nodeSmaller ? smallerLink : largerLink) = node;
            smallerLink = nodeSmaller ? nodeChildren + 1 : smallerLink;
            largerLink = nodeSmaller ? largerLink : nodeChildren;
            node = nodeChildren[nodeSmaller ? 1 : 0];
        }
        shorterMatch(sameStart, pos, oldest, kMaxMatch, best, bestFrom);
        record(pos, best, bestFrom);
    }
    if (pos == last) return;
    // The last few positions have no full key and are not inserted: search
    // the tree and the chains their bytes left allow, comparing only those,
    // then the few starts after the inserted ones.
    const std::size_t inTree = pos;
    for (; pos + kMinMatch <= end; ++pos) {
        const std::size_t limit = end - pos;
        const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow : 0);
        std::size_t best = 0, bestFrom = 0;
        for (int32_t node = limit >= kTreeKey ? root[HashOf(Load8(t + pos), kTreeKey, treeBits)] : kNone;
             node >= oldest;) {
            const std::size_t len = std::min(limit, CommonPrefix(t + node, t + pos));
            if (len > best) best = len, bestFrom = static_cast<std::size_t>(node);
            if (len == limit) break;
            const bool nodeSmaller = t[node + len] < t[pos + len];
            node = children[2 * (static_cast<std::size_t>(node) % kSlots) + (nodeSmaller ? 1 : 0)];
        }
        int32_t heads[3];
        for (std::size_t c = 0; c < 3; ++c)
            heads[c] = chains[c]->newest[HashOf(Load8(t + pos), chains[c]->bytes, chainBits)];
        shorterMatch(heads, pos, oldest, limit, best, bestFrom);
        for (std::size_t from = inTree; from < pos && best < limit; ++from) {
            std::size_t len = 0;
            while (len < limit && t[from + len] == t[pos + len]) ++len;
            if (len > best) best = len, bestFrom = from;
        }
        record(pos, best, bestFrom);
    }
    for (; pos < end; ++pos) record(pos, 0, 0);
}

// The cheapest encoding of every suffix, found from the end backwards: a
// literal costs 9 bits, a match 17, and any length from 3 up to the longest
// match at a position can be used (a shorter match is a prefix of the
// longest). The file's size in bytes is the bits rounded up, so fewest bits
// means smallest file.
//
// The best match at i ends where the suffix cost is least among the next 3
// to 18 positions. Keys (a suffix's cost, then its position's low byte) are
// kept with their minima over runs of 2, 4, 8 and 16 positions, so each such
// minimum is that of two overlapping runs. Only the next 32 positions are
// kept: that is all a run from a given position on needs, so it can stop at
// any position and go on from there later.
class SuffixCosts {
public:
    explicit SuffixCosts(std::size_t n)
    {
        for (auto& level : runMin_) level.fill(UINT64_MAX);  // past the end
        Store(n, 0);
    }

    // Chooses the item at every i in [to, from), the costs from `from` on
    // being known, and puts its length in place of the longest match there.
    void Run(const Matches& m, std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i-- > to;) {
            uint8_t step = 1;
            uint64_t bits = (runMin_[0][(i + 1) % 32] >> 8) + kLiteralBits;
            if (const std::size_t longest = m.length[i]; longest >= kMinMatch) {
                const std::size_t first = i + kMinMatch, count = longest - kMinMatch + 1;
                const int k = std::bit_width(count) - 1;
                const uint64_t key =
                    std::min(runMin_[k][first % 32], runMin_[k][(first + count - (std::size_t{1} << k)) % 32]);
                const uint64_t matchBits = (key >> 8) + kMatchBits;
                const bool useMatch = matchBits < bits;  // which wins is data: no branch
                bits = useMatch ? matchBits : bits;
                step = static_cast<uint8_t>(useMatch ? ((key & 0xFF) - i) & 0xFF : 1);
            }
            m.length[i] = step;
            Store(i, bits);
        }
    }

private:
    void Store(std::size_t i, uint64_t bits)
    {
        runMin_[0][i % 32] = bits << 8 | (i & 0xFF);
        for (std::size_t k = 1; k < runMin_.size(); ++k)
            runMin_[k][i % 32] =
                std::min(runMin_[k - 1][i % 32], runMin_[k - 1][(i + (std::size_t{1} << (k - 1))) % 32]);
    }

    std::array<std::array<uint64_t, 32>, 5> runMin_;  // runMin_[k][j % 32]: least key of j..j+2^k-1
};

// Below this a second thread costs more than it saves.
constexpr std::size_t kSplitSize = 64 * 1024;

// The optimal parse of data. The match search runs over a copy that starts
// with the ring's 4096 blanks, so a match may begin there. A larger input is
// split in two: the second part's matches and then its suffix costs are
// found on a second thread while this one searches the first part, which is
// the larger by about the costs' share, and the costs then go on into the
// first part. Where the input is split depends on its size alone, so the
// output does not depend on the machine.
Matches ParseOptimally(std::span<const uint8_t> data)
{
    const std::size_t n = data.size();
    std::vector<uint8_t> text(kWindow + n + 32, ' ');
    std::copy(data.begin(), data.end(), text.begin() + kWindow);
    const uint8_t* t = text.data();
    const std::size_t end = kWindow + n;
    // Every position is written before it is read: no need to clear these.
    Matches m{std::make_unique_for_overwrite<uint8_t[]>(n), std::make_unique_for_overwrite<uint16_t[]>(n)};
    SuffixCosts costs(n);
    std::size_t split = n;
    std::exception_ptr secondFailed;  // what the second part threw, thrown again here
    std::thread second;
    if (n >= kSplitSize) {
        const std::size_t at = n / 32 * 17;
        try {
            second = std::thread([&, at] {
                try {
                    FindMatchesIn(t, end, kWindow + at, end, m);
                    costs.Run(m, n, at);
                } catch (...) {
                    secondFailed = std::current_exception();
                }
            });
            split = at;
        } catch (const std::system_error&) {  // no thread: all on this one
        }
    }
    {
        // Joined whatever this part does: a thread must not outlive what it uses.
        struct Join {
            std::thread& thread;
            ~Join()
            {
                if (thread.joinable()) thread.join();
            }
        } join{second};
        FindMatchesIn(t, end, kWindow, kWindow + split, m);
    }
    if (secondFailed) std::rethrow_exception(secondFailed);
    costs.Run(m, split, 0);
    return m;
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> CompressLz(std::span<const uint8_t> data, char replacedChar)
{
    const std::size_t n = data.size();
    std::vector<uint8_t> out(std::begin(kLzMagic), std::end(kLzMagic));
    out.push_back(kLzModeA);
    out.push_back(static_cast<uint8_t>(replacedChar));
    PutLe32(out, static_cast<uint32_t>(n));

    const Matches m = ParseOptimally(data);
    const uint8_t* step = m.length.get();
    out.reserve(out.size() + n + n / 8 + 1);
    std::size_t flagAt = 0;
    int item = 8;
    for (std::size_t i = 0; i < n; i += step[i]) {
        if (item == 8) {
            flagAt = out.size();
            out.push_back(0);
            item = 0;
        }
        if (step[i] == 1) {
            out[flagAt] |= static_cast<uint8_t>(1u << item);
            out.push_back(data[i]);
        } else {
            const uint16_t from = m.source[i];
            out.push_back(static_cast<uint8_t>(from & 0xFF));
            out.push_back(static_cast<uint8_t>(((from >> 4) & 0xF0) | (step[i] - kMinMatch)));
        }
        ++item;
    }
    return out;
}

ExpandedLz ExpandLz(std::span<const uint8_t> file)
{
    ExpandedLz result;
    auto fail = [&result](std::string message) {
        result.data.clear();
        result.error = std::move(message);
        return result;
    };
    if (file.size() < kLzHeaderSize) return fail("truncated header: " + std::to_string(file.size()) + " of 14 bytes");
    if (std::memcmp(file.data(), kLzMagic, sizeof kLzMagic) != 0) return fail("not an SZDD file: bad magic");
    if (file[8] != kLzModeA) return fail("unknown compression mode " + std::to_string(file[8]));
    std::size_t at = 0;
    const LzStreamResult expanded = ExpandLzStream(
        [&](uint8_t* buffer, std::size_t capacity, std::size_t& got) {
            got = std::min(capacity, file.size() - at);
            std::memcpy(buffer, file.data() + at, got);
            at += got;
            return true;
        },
        [&](const uint8_t* data, std::size_t size) {
            result.data.insert(result.data.end(), data, data + size);
            return true;
        });
    result.replacedChar = expanded.replacedChar;
    const std::string sizes = "expands to " + std::to_string(expanded.expanded) + " bytes, the header says " +
                              std::to_string(expanded.length);
    switch (expanded.outcome) {
    case LzOutcome::kCutMatch: return fail("truncated data: a match lacks its second byte");
    case LzOutcome::kShort: return fail("truncated data: " + sizes);
    case LzOutcome::kLong: return fail("size mismatch: " + sizes);
    default: return result;
    }
}

LzName LzCompressedName(std::string_view fileName)
{
    LzName result;
    const std::size_t baseAt = fileName.find_last_of("/\\:") + 1;  // npos + 1 == 0
    const std::string_view base = fileName.substr(baseAt);
    if (base.empty()) {
        result.error = "no file name";
    } else if (base.back() == '_') {
        result.error = "the name already ends in '_'";
    } else if (const std::size_t dot = base.rfind('.'); dot == std::string_view::npos) {
        result.name = std::string(fileName) + "._";
    } else if (base.size() - dot - 1 < 3) {
        result.name = std::string(fileName) + "_";
    } else {
        result.name = std::string(fileName.substr(0, fileName.size() - 1)) + "_";
        result.replacedChar = fileName.back();
    }
    return result;
}
