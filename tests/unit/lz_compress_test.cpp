#include <cstdlib>
#include <random>

#include "lz_compress.h"
#include "unit_test.h"

namespace {

using namespace std;

Bytes Text(const string& s) { return Bytes(s.begin(), s.end()); }

// size random bytes (or letters, of the first `letters` of the alphabet), then the first `again` bytes of them once
// more; the 2000 bytes at `from`, when given, again 3000 bytes later.
Bytes Random(size_t size, unsigned seed, size_t again = 0, unsigned letters = 0, size_t from = 0)
{
    mt19937 rng(seed);
    Bytes b(size + again);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = i >= size ? b[i - size] : uint8_t(letters ? 'a' + rng() % letters : rng());
    if (from) copy_n(b.begin() + from, 2000, b.begin() + from + 3000);
    return b;
}

// Every sample back as it was through our expander and, where it is installed, Debian's msexpand; the sizes of the
// cheapest parse: a block repeated 4096 bytes later is all matches, one repeated 4097 bytes later is out of reach;
// 70000 bytes are searched in two parts split at 37179, and the second must see the window before it (the block
// repeated from 36000 crosses the split); a few letters match in every length, mostly short.
TEST(LzCompress, RoundTripsAndPinsTheParse)
{
    const bool msexpand = system("command -v msexpand >/dev/null") == 0;
    using R = pair<Bytes, size_t>;
    for (const auto& [data, size] : Table(R{Random(4096, 2, 4196), 5120}, R{Random(4097, 3, 4097), 9225},
                                          R{Random(70000, 5, 0, 0, 33000), 76739}, R{Random(2000, 7, 0, 5), 1096})) {
        const Bytes file = CompressLz(data, 'E');
        const ExpandedLz back = ExpandLz(file);
        EXPECT_EQ(tuple(back.error, back.data == data, back.replacedChar, file.size()),
                  tuple(string(), true, 'E', size));
        if (!msexpand) continue;
        ofstream("lz_sample.da_", ios::binary).write((const char*)file.data(), file.size());
        ASSERT_EQ(system("msexpand < lz_sample.da_ > lz_sample.dat 2>/dev/null"), 0) << size;
        ifstream in("lz_sample.dat", ios::binary);
        EXPECT_EQ(Bytes(istreambuf_iterator<char>(in), {}), data) << size;
    }
    remove("lz_sample.da_");
    remove("lz_sample.dat");
    // The second "hello" reaches back into the ring's blanks for its space.
    const string hello("SZDD\x88\xF0\x27\x33\x41\0\x18\0\0\0\xDFhello\xEF\xFAwo\x0Frld\n", 29);
    EXPECT_EQ(CompressLz(Text("hello hello hello world\n"), 0), Text(hello));
}

TEST(LzExpand, RefusesMalformedFiles)
{
    const Bytes good = CompressLz(Text("abcabcabcabc"), 0);
    auto with = [&](size_t at, uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    using R = pair<Bytes, string>;
    for (const auto& [file, error] :
         Table(R{Bytes(good.begin(), good.begin() + 13), "truncated header: 13 of 14 bytes"},
               R{with(8, 'B'), "unknown compression mode 66"},
               R{Bytes(good.begin(), good.end() - 1), "truncated data: a match lacks its second byte"},
               R{with(10, 11), "size mismatch: expands to 12 bytes, the header says 11"}))
        EXPECT_EQ(pair(ExpandLz(file).error, ExpandLz(file).data.size()), pair(error, size_t{0}));
}

// Read ten bytes at a time: a read error stays an error though the reads after it would succeed, and the end
// of the input is read once.
TEST(LzExpand, AReadErrorStaysAndTheEndIsReadOnce)
{
    const Bytes file = CompressLz(Text(string(300, 'x') + "tail"), 0);
    for (int failing : {0, 3}) {
        int reads = 0;
        size_t at = 0;
        const LzStreamResult r = ExpandLzStream(
            [&](uint8_t* buffer, size_t, size_t& got) {
                got = min<size_t>(10, file.size() - at);
                copy_n(file.begin() + ptrdiff_t(at), got, buffer);
                at += got;
                return ++reads != failing;
            },
            [](const uint8_t*, size_t) { return true; });
        const int wholeReads = int((file.size() + 9) / 10) + 1;
        EXPECT_EQ(pair(r.outcome, reads),
                  failing ? pair(LzOutcome::kReadFailed, failing) : pair(LzOutcome::kExpanded, wholeReads));
    }
}

}  // namespace
