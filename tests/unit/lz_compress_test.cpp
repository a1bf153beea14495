#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "lz_compress.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// size random bytes (or letters, of the first `letters` of the alphabet),
// then the first again bytes of them once more.
Bytes Random(std::size_t size, unsigned seed, std::size_t again = 0, unsigned letters = 0)
{
    std::mt19937 rng(seed);
    Bytes b(size + again);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = i >= size ? b[i - size] : static_cast<uint8_t>(letters ? 'a' + rng() % letters : rng());
    return b;
}

// Random bytes where a block reappears 3000 bytes later, just after the middle:
// a large input is searched in halves, and the second must see the first.
Bytes AcrossTheHalves()
{
    Bytes b = Random(70000, 5);
    std::copy_n(b.begin() + 32000, 2000, b.begin() + 35000);
    return b;
}

struct Sample { const char* name; Bytes data; std::size_t size; };

// Sizes of the cheapest parse: a run is one literal then matches of 18,
// leading blanks match the ring's blanks, a block repeated 4096 bytes later
// is all matches, one repeated 4097 bytes later is out of reach; a few
// letters match in every length, mostly short; the last six bytes match the
// first six.
const std::vector<Sample> kSamples = {
    {"empty", {}, 14}, {"one byte", {'A'}, 16}, {"repeated", Bytes(100000, 0), 11822},
    {"leading blanks", Text(std::string(40, ' ') + "x"), 22}, {"incompressible", Random(10000, 1), 11263},
    {"4096 back", Random(4096, 2, 4196), 5120}, {"4097 back", Random(4097, 3, 4097), 9225},
    {"across the halves", AcrossTheHalves(), 76737}, {"few letters", Random(2000, 7, 0, 5), 1096},
    {"six again at the end", Random(1000, 9, 6), 1142},
};

// Every sample back as it was through our expander.
TEST(LzCompress, RoundTripsAndPinsTheParse)
{
    for (const Sample& s : kSamples) {
        const Bytes file = CompressLz(s.data, 'E');
        const ExpandedLz back = ExpandLz(file);
        EXPECT_EQ(std::tuple(back.error, back.data == s.data, back.replacedChar, file.size()), std::tuple(std::string(), true, 'E', s.size)) << s.name;
        // And through Debian's msexpand, where it is installed.
        if (std::system("command -v msexpand >/dev/null") != 0) continue;
        std::ofstream("lz_sample.da_", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        ASSERT_EQ(std::system("msexpand < lz_sample.da_ > lz_sample.dat 2>/dev/null"), 0) << s.name;
        std::ifstream in("lz_sample.dat", std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), s.data) << s.name;
    }
    std::remove("lz_sample.da_");
    std::remove("lz_sample.dat");
    // The second "hello" reaches back into the ring's blanks for its space.
    EXPECT_EQ(CompressLz(Text("hello hello hello world\n"), 0),
              Text(std::string("SZDD\x88\xF0\x27\x33" "A\0\x18\0\0\0" "\xDFhello\xEF\xFAwo\x0Frld\n", 29)));
}

TEST(LzExpand, RefusesMalformedFiles)
{
    const Bytes good = CompressLz(Text("abcabcabcabc"), 0);
    auto with = [&](std::size_t at, uint8_t v) { Bytes b = good; b[at] = v; return b; };
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes(good.begin(), good.begin() + 13), "truncated header: 13 of 14 bytes"}, {with(3, 'Q'), "not an SZDD file: bad magic"}, {with(8, 'B'), "unknown compression mode 66"},
        {Bytes(good.begin(), good.end() - 1), "truncated data: a match lacks its second byte"},
        {Bytes(good.begin(), good.end() - 2), "truncated data: expands to 3 bytes, the header says 12"},
        {with(10, 11), "size mismatch: expands to 12 bytes, the header says 11"}};
    for (const auto& [file, error] : cases) EXPECT_EQ(std::pair(ExpandLz(file).error, ExpandLz(file).data.size()), std::pair(error, std::size_t{0}));
}

}  // namespace
