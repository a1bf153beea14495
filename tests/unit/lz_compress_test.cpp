#include <cstdlib>
#include <random>

#include "lz_compress.h"
#include "unit_test.h"

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// size random bytes (or letters, of the first `letters` of the alphabet), then the first again bytes of them once
// more; the 2000 bytes at `from`, when given, again 3000 bytes later.
Bytes Random(std::size_t size, unsigned seed, std::size_t again = 0, unsigned letters = 0, std::size_t from = 0)
{
    std::mt19937 rng(seed);
    Bytes b(size + again);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = i >= size ? b[i - size] : static_cast<uint8_t>(letters ? 'a' + rng() % letters : rng());
    if (from) std::copy_n(b.begin() + from, 2000, b.begin() + from + 3000);
    return b;
}

// Every sample back as it was through our expander and, where it is installed, Debian's msexpand; the sizes of the
// cheapest parse: a run is one literal then matches of 18, leading blanks match the ring's blanks, a block repeated
// 4096 bytes later is all matches, one repeated 4097 bytes later is out of reach; a large input is searched in
// halves, and the second must see the first; a few letters match in every length, mostly short; the last six bytes
// match the first six.
TEST(LzCompress, RoundTripsAndPinsTheParse)
{
    const bool msexpand = std::system("command -v msexpand >/dev/null") == 0;
    using R = std::tuple<const char*, Bytes, std::size_t>;
    for (const auto& [name, data, size] :
         Table(R{"empty", {}, 14}, R{"one byte", {'A'}, 16}, R{"repeated", Bytes(100000, 0), 11822},
               R{"leading blanks", Text(std::string(40, ' ') + "x"), 22}, R{"incompressible", Random(10000, 1), 11263},
               R{"4096 back", Random(4096, 2, 4196), 5120}, R{"4097 back", Random(4097, 3, 4097), 9225},
               R{"across the halves", Random(70000, 5, 0, 0, 32000), 76737},
               R{"few letters", Random(2000, 7, 0, 5), 1096}, R{"six again at the end", Random(1000, 9, 6), 1142})) {
        const Bytes file = CompressLz(data, 'E');
        const ExpandedLz back = ExpandLz(file);
        EXPECT_EQ(std::tuple(back.error, back.data == data, back.replacedChar, file.size()),
                  std::tuple(std::string(), true, 'E', size))
            << name;
        if (!msexpand) continue;
        std::ofstream("lz_sample.da_", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
        ASSERT_EQ(std::system("msexpand < lz_sample.da_ > lz_sample.dat 2>/dev/null"), 0) << name;
        std::ifstream in("lz_sample.dat", std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), data) << name;
    }
    std::remove("lz_sample.da_");
    std::remove("lz_sample.dat");
    // The second "hello" reaches back into the ring's blanks for its space.
    const std::string hello("SZDD\x88\xF0\x27\x33\x41\0\x18\0\0\0\xDFhello\xEF\xFAwo\x0Frld\n", 29);
    EXPECT_EQ(CompressLz(Text("hello hello hello world\n"), 0), Text(hello));
}

TEST(LzExpand, RefusesMalformedFiles)
{
    const Bytes good = CompressLz(Text("abcabcabcabc"), 0);
    auto with = [&](std::size_t at, uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    using R = std::pair<Bytes, std::string>;
    for (const auto& [file, error] :
         Table(R{Bytes(good.begin(), good.begin() + 13), "truncated header: 13 of 14 bytes"},
               R{with(3, 'Q'), "not an SZDD file: bad magic"}, R{with(8, 'B'), "unknown compression mode 66"},
               R{Bytes(good.begin(), good.end() - 1), "truncated data: a match lacks its second byte"},
               R{Bytes(good.begin(), good.end() - 2), "truncated data: expands to 3 bytes, the header says 12"},
               R{with(10, 11), "size mismatch: expands to 12 bytes, the header says 11"}))
        EXPECT_EQ(std::pair(ExpandLz(file).error, ExpandLz(file).data.size()), std::pair(error, std::size_t{0}));
}

}  // namespace
