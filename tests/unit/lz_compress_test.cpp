#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>

#include "lz_compress.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// size random bytes, then the first again bytes of them once more.
Bytes Random(std::size_t size, unsigned seed, std::size_t again = 0)
{
    std::mt19937 rng(seed);
    Bytes b(size + again);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = i < size ? static_cast<uint8_t>(rng()) : b[i - size];
    return b;
}

struct Sample { const char* name; Bytes data; std::size_t size; };  // size 0: not pinned

// Sizes of the cheapest parse: a run is one literal then matches of 18,
// leading blanks match the ring's blanks, a block repeated 4096 bytes later
// is all matches, one repeated 4097 bytes later is out of reach.
const std::vector<Sample> kSamples = {
    {"empty", {}, 14}, {"one byte", {'A'}, 16}, {"repeated", Bytes(100000, 0), 11822},
    {"leading blanks", Text(std::string(40, ' ') + "x"), 22}, {"incompressible", Random(10000, 1), 11263},
    {"4096 back", Random(4096, 2, 4196), 5120}, {"4097 back", Random(4097, 3, 4097), 9225},
    {"long text", Text([] { std::string s; for (int i = 0; i < 4000; ++i) s += "line " + std::to_string(i * 7919 % 1000) + "\r\n"; return s; }()), 0},
};

// Every sample back as it was, through our expander and, when it is installed, Debian's msexpand (package mscompress).
TEST(LzCompress, RoundTripsAndPinsTheParse)
{
    const bool msexpand = std::system("command -v msexpand >/dev/null 2>&1") == 0;
    const std::string in = testing::TempDir() + "lz_msexpand_in", out = testing::TempDir() + "lz_msexpand_out";
    for (const Sample& s : kSamples) {
        const Bytes file = CompressLz(s.data, 'E');
        const ExpandedLz back = ExpandLz(file);
        EXPECT_TRUE(back.error.empty() && back.data == s.data && back.replacedChar == 'E') << s.name << ": " << back.error;
        if (s.size) EXPECT_EQ(file.size(), s.size) << s.name;
        if (!msexpand) continue;
        std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        std::ifstream expanded((std::system(("msexpand < '" + in + "' > '" + out + "'").c_str()), out), std::ios::binary);
        EXPECT_TRUE(Bytes(std::istreambuf_iterator<char>(expanded), {}) == s.data) << s.name << " through msexpand";
    }
    std::remove(in.c_str()), std::remove(out.c_str());
    if (!msexpand) std::cout << "msexpand is not installed (Debian package mscompress): files not read with it\n";
    // The second "hello" reaches back into the ring's blanks for its space.
    EXPECT_EQ(CompressLz(Text("hello hello hello world\n"), 0),
              Text(std::string("SZDD\x88\xF0\x27\x33" "A\0\x18\0\0\0" "\xDFhello\xEF\xFAwo\x0Frld\n", 29)));
}

TEST(LzCompress, DerivesTheCompressedName)
{
    const char* cases[][2] = {{"DEMO.EXE", "DEMO.EX_ E"}, {"A.C", "A.C_ "}, {"README", "README._ "}, {"NAME.", "NAME._ "},
                              {"dir.d/setup.inf", "dir.d/setup.in_ f"}, {"SETUP.EX_", " the name already ends in '_'"}, {"disk1/", " no file name"}};
    auto shown = [](const LzName& n) { return n.name + " " + (n.replacedChar ? std::string(1, n.replacedChar) : "") + n.error; };
    for (const auto& [in, expected] : cases) EXPECT_EQ(shown(LzCompressedName(in)), expected) << in;
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
