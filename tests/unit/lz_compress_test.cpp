#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    Bytes b(size);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    for (std::size_t i = 0; i < again; ++i) b.push_back(b[i]);
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

TEST(LzCompress, RoundTripsAndPinsTheParse)
{
    for (const Sample& s : kSamples) {
        const Bytes file = CompressLz(s.data, 'E');
        const ExpandedLz back = ExpandLz(file);
        EXPECT_EQ(back.error, "") << s.name;
        EXPECT_TRUE(back.data == s.data && back.replacedChar == 'E') << s.name;
        if (s.size) EXPECT_EQ(file.size(), s.size) << s.name;
    }
    // The second "hello" reaches back into the ring's blanks for its space.
    EXPECT_EQ(CompressLz(Text("hello hello hello world\n"), 0),
              Text(std::string("SZDD\x88\xF0\x27\x33" "A\0\x18\0\0\0" "\xDFhello\xEF\xFAwo\x0Frld\n", 29)));
}

TEST(LzCompress, DerivesTheCompressedName)
{
    const char* cases[][2] = {{"DEMO.EXE", "DEMO.EX_ E"}, {"A.C", "A.C_ "}, {"README", "README._ "}, {"NAME.", "NAME._ "},
                              {"dir.d/setup.inf", "dir.d/setup.in_ f"}, {"SETUP.EX_", " the name already ends in '_'"},
                              {"disk1/", " no file name"}};
    for (const auto& [in, expected] : cases) {
        const LzName n = LzCompressedName(in);
        EXPECT_EQ(n.name + " " + (n.replacedChar ? std::string(1, n.replacedChar) : "") + n.error, expected);
    }
}

TEST(LzExpand, RefusesMalformedFiles)
{
    const Bytes good = CompressLz(Text("abcabcabcabc"), 0);
    auto with = [&](std::size_t at, uint8_t v) { Bytes b = good; b[at] = v; return b; };
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes(good.begin(), good.begin() + 13), "truncated header: 13 of 14 bytes"},
        {with(3, 'Q'), "not an SZDD file: bad magic"}, {with(8, 'B'), "unknown compression mode 66"},
        {Bytes(good.begin(), good.end() - 1), "truncated data: a match lacks its second byte"},
        {Bytes(good.begin(), good.end() - 2), "truncated data: expands to 3 bytes, the header says 12"},
        {with(10, 11), "size mismatch: expands to 12 bytes, the header says 11"}};
    for (const auto& [file, error] : cases) {
        const ExpandedLz r = ExpandLz(file);
        EXPECT_EQ(r.error, error);
        EXPECT_TRUE(r.data.empty()) << error;
    }
}

TEST(LzCompress, DebianMsexpandReadsOurFiles)
{
    if (std::system("command -v msexpand >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "msexpand is not installed (Debian package mscompress): round trip not checked";
    const std::string in = testing::TempDir() + "lz_msexpand_in", out = testing::TempDir() + "lz_msexpand_out";
    for (const Sample& s : kSamples) {
        const Bytes file = CompressLz(s.data, 0);
        std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        ASSERT_EQ(std::system(("msexpand < '" + in + "' > '" + out + "'").c_str()), 0) << s.name;
        std::ifstream back(out, std::ios::binary);
        EXPECT_TRUE(Bytes(std::istreambuf_iterator<char>(back), {}) == s.data) << s.name;
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
}

}  // namespace
