#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "graphics/picture_format.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_view_literals;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;
constexpr uint32_t kYellow = 0xFFFF00, kCyan = 0x00FFFF, kMagenta = 0xFF00FF;

// Writes the n low bytes of v at offset at, little-endian, growing b as needed.
Bytes& Put(Bytes& b, std::size_t at, uint32_t v, std::size_t n = 4)
{
    if (b.size() < at + n) b.resize(at + n);
    for (std::size_t i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return b;
}

Bytes Set(Bytes b, std::size_t at, uint32_t v, std::size_t n = 4) { return Put(b, at, v, n); }

Bytes With(Bytes b, std::size_t at, std::string_view s)  // s written over b at offset at
{
    for (char c : s) Put(b, at++, static_cast<uint8_t>(c), 1);
    return b;
}

Bytes Text(std::string_view s) { return With({}, 0, s); }

Bytes Cut(const Bytes& b, std::size_t size) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size)); }

// A Windows bitmap as a writer lays it out: file header, info header, masks
// (after a 40-byte header, inside longer ones), palette, then the pixel data.
struct Bmp {
    uint32_t headerSize = 40;
    int32_t width = 0, height = 0;
    uint32_t bits = 24, compression = 0, used = 0;  // bits per pixel, colours used
    std::vector<uint32_t> masks, palette;  // palette entries 0xRRGGBB
    uint32_t gap = 0;                      // bytes between the palette and the pixels
    Bytes pixels;
};

Bytes BmpFile(const Bmp& bmp)
{
    Bytes b = With(Bytes(14 + bmp.headerSize), 0, "BM");
    std::size_t at = 14;
    for (uint32_t v : {bmp.headerSize, static_cast<uint32_t>(bmp.width), static_cast<uint32_t>(bmp.height),
                       1 | bmp.bits << 16, bmp.compression})
        Put(b, at, v), at += 4;
    Put(b, 46, bmp.used);
    for (std::size_t i = 0; i < bmp.masks.size(); ++i) Put(b, 54 + 4 * i, bmp.masks[i]);
    for (uint32_t c : bmp.palette) Put(b, b.size(), c);  // blue, green, red, 0
    b.resize(b.size() + bmp.gap, 0xEE);
    Put(b, 10, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), bmp.pixels.begin(), bmp.pixels.end());
    return Put(b, 2, static_cast<uint32_t>(b.size()));
}

const std::vector<uint32_t> kEga = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// A PCX header of 128 bytes, the encoded scan lines and, when given, the 256-colour palette at the end.
struct Pcx {
    uint8_t version = 5, encoding = 1, bits = 8, planes = 1;
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    uint16_t lineBytes = 0;
    std::vector<uint32_t> headerPalette = kEga;  // 16 entries 0xRRGGBB
    Bytes data;
    std::vector<uint32_t> endPalette;  // 256 entries when present
};

Bytes PcxFile(const Pcx& p)
{
    Bytes b(128);
    auto putRgb = [&b](std::size_t at, const std::vector<uint32_t>& colours) {  // red, green, blue
        for (uint32_t c : colours) Put(b, at, (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16, 3), at += 3;
    };
    b[0] = 10, b[1] = p.version, b[2] = p.encoding, b[3] = p.bits, b[65] = p.planes;
    std::size_t at = 4;
    for (int16_t v : {p.xMin, p.yMin, p.xMax, p.yMax}) Put(b, at, static_cast<uint16_t>(v), 2), at += 2;
    putRgb(16, p.headerPalette);
    Put(b, 66, p.lineBytes, 2);
    b.insert(b.end(), p.data.begin(), p.data.end());
    if (!p.endPalette.empty()) b.push_back(0x0C), putRgb(b.size(), p.endPalette);
    return b;
}

// Placeable metafile: int16 frame and units per inch. Enhanced: int32 frame in 0.01 mm.
Bytes Metafile(bool enhanced, std::array<int32_t, 4> frame, uint16_t unitsPerInch = 0)
{
    Bytes m = enhanced ? Set(With(Bytes(88), 40, " EMF"), 0, 1)
                       : Set(Set(Bytes(22), 0, 0x9AC6CDD7), 14, unitsPerInch, 2);
    const std::size_t n = enhanced ? 4 : 2;
    for (std::size_t i = 0; i < 4; ++i) Put(m, (enhanced ? 24 : 6) + n * i, static_cast<uint32_t>(frame[i]), n);
    return m;
}

TEST(PictureRecognition, FollowsTheTableInOrder)
{
    const Bytes bmp320 = BmpFile({.width = 320, .height = 200, .bits = 8});
    const Bytes os2 = Set(With(Bytes(64), 0, "BM"), 14, 12);
    // Info: type, width, height, colours, compressed; size: of the whole file, when not just the bytes given.
    struct Case { const char* name; Bytes file; std::array<int32_t, 5> info; uint64_t size = 0; } cases[] = {
        {"bmp 320x200", bmp320, {1, 320, 200, 256, 0}}, {"os/2 bitmap", os2, {0}},
        {"bmp rle8", BmpFile({.width = 3, .height = 2, .bits = 8, .compression = 1}), {1, 3, 2, 256, 1}},
        {"bmp bit fields", BmpFile({.width = 1, .height = 1, .bits = 16, .compression = 3}), {1, 1, 1, 65536}},
        {"bmp top-down", BmpFile({.width = 5, .height = -7}), {1, 5, -7, 1 << 24, 0}},
        {"bmp reserved word", With(bmp320, 8, "\x01"), {0}}, {"os/2 then emf", With(os2, 40, " EMF"), {3}},
        {"bmp before emf", With(bmp320, 40, " EMF"), {1, 320, 200, 256, 0}},
        {"pcx 640x480", PcxFile({.xMax = 639, .yMax = 479, .lineBytes = 640}), {2, 640, 480, 256, 5}},
        {"pcx window", PcxFile({.version = 3, .bits = 1, .planes = 4, .xMin = 10, .yMin = -5, .xMax = 19,
                                .yMax = 4}), {2, 10, 10, 16, 3}},
        {"pcx uncompressed", PcxFile({.encoding = 0}), {0}},
        {"placeable, truncated", Metafile(false, {-100, 50, 900, 1000}, 576), {3, 125, 118}},  // 125.1, 118.9
        {"enhanced a4", Metafile(true, {0, 0, 21000, 29700}), {3, 595, 841}},
        {"enhanced wide", Metafile(true, {-2000000000, 0, 2000000000, 2540}), {3, 113385826, 72}},
        {"IN in columns 127 and 128", Text(std::string(126, ' ') + "IN;\n"), {4}},
        {"IN after 128 blanks", Text(std::string(128, ' ') + "IN;\n"), {0}},
        {"hp-gl", Text(" \t IN;SP1;\r\n"), {4}},        {"hp-gl/2 in pcl", Text("\x1b%0BIN;\n"), {5}},
        {"postscript", Text("%!PS-Adobe-3.0\n"), {10}}, {"dxf", Text("  0\r\nSECTION\r\n"), {14}},
        {"postscript before emf", With(Text("%!PS-Adobe-2.0\n"), 40, " EMF"), {10}},
        {"dxf wrong second line", Text("0\nEOF\n"), {0}},   {"gif", With(Bytes(13), 0, "GIF89a"), {6}},
        {"tiff", Bytes{'I', 'I', '*', 0, 8, 0, 0, 0}, {7}}, {"draw", Text("Draw\xc9\0\0\0"sv), {8}},
        {"tektronix", Text("\x1b[?38h\x1b\x0c"), {9}},      {"pcl reset", Text("\x1b" "E\x1b&l0O"), {11}},
        {"pcl position", Text("\x1b&a0R"), {11}},           {"esc/p", Text("\x1b@\x1bx1"), {12}},
        {"esc u 1", Text("\x1bU\x01\0yz"sv), {13}},         {"esc u 0", Text("\x1bU\0\0yz"sv), {0}},
        {"four bytes", Text("IN;\n"), {4}},                 {"three bytes", Text("IN;"), {0}},
        {"empty", {}, {0}},                                 {"size decides shortness", Text("%!PS"), {0}, 3},
        {"pcx header cut short", Bytes{10, 5, 1}, {2, 1, 1, 1, 5}, 5000},
    };
    for (const Case& c : cases) {
        const std::span<const uint8_t> start(c.file.data(), std::min<std::size_t>(c.file.size(), 512));
        const PictureInfo info = RecognisePicture(start, c.size ? c.size : c.file.size());
        EXPECT_EQ((std::array{info.type, info.width, info.height, info.colours, info.compressed}), c.info) << c.name;
    }
}

// A decoder's result code and picture, pixels top row first; a failure (2 read, 27 unsupported) must leave
// the picture empty.
struct DecodeCase {
    const char* name; Bytes file; int32_t code, width = 0, height = 0; std::vector<uint32_t> pixels = {};
};

void ExpectDecoded(int32_t (*decode)(std::span<const uint8_t>, DecodedPicture&), const DecodeCase& c)
{
    DecodedPicture out{7, 7, std::vector<uint32_t>(49, 1)};
    const int32_t code = decode(c.file, out);
    EXPECT_EQ(std::tuple(code, out.width, out.height, out.pixels), std::tuple(c.code, c.width, c.height, c.pixels))
        << c.name;
}

const std::vector<uint32_t> kPalette8 = {0x101010, kRed, kGreen, kBlue, kWhite, 0x808080, kYellow, kCyan};

TEST(BmpDecoding, DecodesEachUncompressedDepth)
{
    // 24 bits, 3x2: rows of 9 bytes padded to 12, bottom row first unless the height is negative.
    const Bytes rows24 = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0, 0, 0,
                          0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};
    const std::vector<uint32_t> upright = {kRed, kGreen, kBlue, kYellow, kCyan, kMagenta};
    const std::vector<uint32_t> first4(kPalette8.begin(), kPalette8.begin() + 4);
    const std::vector<uint32_t> first6(kPalette8.begin(), kPalette8.begin() + 6);
    const DecodeCase cases[] = {
        {"24 bottom-up", BmpFile({.width = 3, .height = 2, .pixels = rows24}), 0, 3, 2, upright},
        {"24 top-down", BmpFile({.width = 3, .height = -2, .pixels = rows24}), 0, 3, 2,
         {kYellow, kCyan, kMagenta, kRed, kGreen, kBlue}},
        {"24 after a gap, last row unpadded",
         Cut(BmpFile({.width = 3, .height = 2, .gap = 5, .pixels = rows24}), 59 + 21), 0, 3, 2, upright},
        {"1 bit", BmpFile({.width = 3, .height = 2, .bits = 1, .palette = {0x112233, 0xAABBCC},
                           .pixels = {0x60, 0, 0, 0, 0xA0, 0, 0, 0}}),
         0, 3, 2, {0xAABBCC, 0x112233, 0xAABBCC, 0x112233, 0xAABBCC, 0xAABBCC}},
        {"4 bits, six colours used", BmpFile({.width = 3, .height = 2, .bits = 4, .used = 6, .palette = first6,
                                              .pixels = {0x12, 0x30, 0, 0, 0x50, 0x70, 0, 0}}),
         0, 3, 2, {0x808080, 0x101010, kBlack, kRed, kGreen, kBlue}},
        {"8 bits top-down, four colours used", BmpFile({.width = 3, .height = -2, .bits = 8, .used = 4,
                                                        .palette = first4, .pixels = {0, 1, 2, 0, 3, 4, 255, 0}}),
         0, 3, 2, {0x101010, kRed, kGreen, kBlue, kBlack, kBlack}},
        {"16 bits 5-5-5", BmpFile({.width = 3, .height = 2, .bits = 16,
                                   .pixels = {0x10, 0x42, 0xFF, 0x7F, 0, 0x80, 0, 0, 0, 0x7C, 0xE0, 3, 0x1F, 0, 0, 0}}),
         0, 3, 2, {kRed, kGreen, kBlue, 0x848484, kWhite, kBlack}},
        {"16 bits 5-6-5 fields", BmpFile({.width = 2, .height = 1, .bits = 16, .compression = 3,
                                          .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0x00, 0xF8, 0x10, 0x84}}),
         0, 2, 1, {kRed, 0x848284}},
        {"32 bits", BmpFile({.width = 2, .height = 1, .bits = 32, .pixels = {0x56, 0x34, 0x12, 0xFF, 1, 2, 3, 0}}),
         0, 2, 1, {0x123456, 0x030201}},
        {"32 bits fields, ten bits a channel, no blue",
         BmpFile({.width = 1, .height = 1, .bits = 32, .compression = 3, .masks = {0x3FF00000, 0x000FFC00, 0},
                  .pixels = {0x00, 0x00, 0xF8, 0x3F}}), 0, 1, 1, {0xFF8000}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
    for (uint32_t size : {40u, 52u, 56u, 108u, 124u}) {  // the palette follows the header, the masks stay at 54
        SCOPED_TRACE("header " + std::to_string(size));
        ExpectDecoded(DecodeBmp, {"palette", BmpFile({.headerSize = size, .width = 2, .height = 1, .bits = 8,
                                                      .used = 4, .palette = first4, .pixels = {3, 2, 0, 0}}),
                                  0, 2, 1, {kBlue, kGreen}});
        ExpectDecoded(DecodeBmp, {"masks", BmpFile({.headerSize = size, .width = 1, .height = 1, .bits = 16,
                                                    .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                                                    .pixels = {0xE0, 7, 0, 0}}), 0, 1, 1, {kGreen}});
    }
}

TEST(BmpDecoding, ExpandsRunLengthData)
{
    const uint32_t p0 = kPalette8[0];
    std::vector<uint32_t> g;
    for (uint32_t i = 0; i < 16; ++i) g.push_back(i * 0x111111);
    auto rle8 = [](int32_t width, int32_t height, Bytes data) {
        return BmpFile({.width = width, .height = height, .bits = 8, .compression = 1, .used = 8,
                        .palette = kPalette8, .pixels = std::move(data)});
    };
    const DecodeCase cases[] = {
        // From the bottom: three red, end of line; absolute 3 (padded), one red, end of line; delta 2 right,
        // one blue, end of bitmap.
        {"rle8 runs, end of line, absolute run, delta",
         rle8(4, 3, {0x03, 0x01, 0x00, 0x00, 0x00, 0x03, 0x02, 0x03, 0x04, 0x00, 0x01, 0x01, 0x00, 0x00,
                     0x00, 0x02, 0x02, 0x00, 0x01, 0x03, 0x00, 0x01}),
         0, 4, 3, {p0, p0, kBlue, p0, kGreen, kBlue, kWhite, kRed, kRed, kRed, kRed, p0}},
        {"rle8 delta down, run clipped at the edge",
         rle8(2, 3, {0x05, 0x02, 0x00, 0x00, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x00, 0x01}), 0, 2, 3,
         {p0, kRed, p0, p0, kGreen, kGreen}},
        {"rle8 ends after the last line", rle8(2, 1, {0x02, 0x01, 0x00, 0x00}), 0, 2, 1, {kRed, kRed}},
        {"rle4 absolute run padded to a word, end of line, runs alternate nibbles",
         BmpFile({.width = 6, .height = 2, .bits = 4, .compression = 2, .palette = g,
                  .pixels = {0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x01, 0x60, 0x00, 0x00, 0x03, 0xAB, 0x00, 0x01}}),
         0, 6, 2, {g[10], g[11], g[10], g[0], g[0], g[0], g[1], g[2], g[3], g[4], g[5], g[6]}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
}

TEST(BmpDecoding, RefusesBadAndShortFiles)
{
    // 2x2 at 24 bits: 54 bytes of headers, two rows of 8 bytes.
    const Bytes base = BmpFile({.width = 2, .height = 2, .pixels = Bytes(16, 0x40)});
    const Bytes rle = BmpFile({.width = 2, .height = 2, .bits = 8, .compression = 1, .used = 1, .palette = {kRed}});
    const DecodeCase cases[] = {
        {"one byte", {'B'}, 2},                 {"not BM", With(base, 1, "A"), 27},
        {"file header only", Cut(base, 17), 2}, {"reserved word", Set(base, 6, 1), 27},
        {"os/2 header", Set(base, 14, 12), 27}, {"info header cut", Cut(base, 53), 2},
        {"zero width", Set(base, 18, 0), 27},   {"too tall", Set(base, 22, uint32_t(-16385)), 27},
        {"too many pixels", Set(Set(base, 18, 16384), 22, 1025), 27},
        {"2 bits", Set(base, 28, 2, 2), 27},                 {"rle8 at 24 bits", Set(base, 30, 1), 27},
        {"rle4 at 8 bits", Set(rle, 30, 2), 27},             {"rle top-down", Set(rle, 22, uint32_t(-2)), 27},
        {"pixels inside the header", Set(base, 10, 53), 27}, {"pixels beyond the end", Set(base, 10, 71), 2},
        {"pixels cut", Cut(base, base.size() - 3), 2},
        {"palette cut", BmpFile({.width = 1, .height = 1, .bits = 8, .pixels = {0, 0, 0, 0}}), 2},
        {"masks cut", BmpFile({.width = 1, .height = 1, .bits = 16, .compression = 3}), 2},
        {"rle rows missing", With(rle, rle.size(), "\x02\x00\x00\x00"sv), 2},
        {"rle delta cut", With(rle, rle.size(), "\x00\x02\x01"sv), 2},
        {"rle absolute run cut", With(rle, rle.size(), "\x00\x04\x01\x02"sv), 2},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
}

TEST(PcxDecoding, DecodesEachLayoutTopRowFirst)
{
    const std::vector<uint32_t>& h = kEga;
    auto grey = [](uint32_t v) { return v * 0x010101; };
    std::vector<uint32_t> end(256, 0);
    end[0] = 0x123456, end[1] = 0x654321, end[2] = 0xABCDEF, end[7] = 0x0A0B0C, end[255] = 0xFEDCBA;
    const DecodeCase cases[] = {
        {"monochrome ignores the header palette",
         PcxFile({.bits = 1, .xMax = 9, .yMax = 1, .lineBytes = 2, .data = {0xA5, 0x80, 0xC1, 0xFF, 0x40}}), 0, 10, 2,
         {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite, kBlack, kWhite, kWhite, kBlack,
          kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack, kWhite}},
        {"16 colours in 4 planes",
         PcxFile({.bits = 1, .planes = 4, .xMax = 7, .lineBytes = 2, .data = {0x8A, 0, 0x49, 0, 0x2A, 0, 0x19, 0}}),
         0, 8, 1, {h[1], h[2], h[4], h[8], h[15], h[0], h[5], h[10]}},
        {"4 colours, 2 bits", PcxFile({.bits = 2, .xMax = 3, .lineBytes = 2, .data = {0xC1, 0xC9, 0x00}}), 0, 4, 1,
         {h[3], h[0], h[2], h[1]}},
        {"16 colours, 4 bits", PcxFile({.bits = 4, .xMax = 2, .lineBytes = 2, .data = {0xC1, 0xF7, 0x90}}), 0, 3, 1,
         {h[15], h[7], h[9]}},
        {"256 colours with palette", PcxFile({.xMax = 3, .yMax = 1, .lineBytes = 4,
                                              .data = {0x00, 0x01, 0x02, 0xC1, 0xFF, 0xC4, 0x07}, .endPalette = end}),
         0, 4, 2, {end[0], end[1], end[2], end[255], end[7], end[7], end[7], end[7]}},
        {"256 colours without palette", PcxFile({.xMax = 1, .lineBytes = 2, .data = {0x10, 0x80}}), 0, 2, 1,
         {grey(0x10), grey(0x80)}},
        {"24 bits, a run across planes",
         PcxFile({.planes = 3, .xMax = 1, .lineBytes = 2, .data = {0xC3, 0x7F, 0x20, 0x01, 0x02}}), 0, 2, 1,
         {0x7F7F01, 0x7F2002}},
        {"run across scan lines", PcxFile({.xMax = 2, .yMax = 1, .lineBytes = 4, .data = {0xC6, 0x05, 0x09, 0x00}}),
         0, 3, 2, {grey(5), grey(5), grey(5), grey(5), grey(5), grey(9)}},
        {"empty run, window away from the origin",
         PcxFile({.xMin = 5, .yMin = 3, .xMax = 6, .yMax = 3, .lineBytes = 2, .data = {0xC0, 0x55, 0x33, 0x44}}), 0,
         2, 1, {grey(0x33), grey(0x44)}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodePcx, c);
}

TEST(PcxDecoding, RefusesBadAndShortFiles)
{
    const Bytes base = PcxFile({.xMax = 1, .lineBytes = 2, .data = {0x10, 0x20}});  // 2x1, 8 bits, one plane
    const DecodeCase cases[] = {
        {"empty", {}, 2},                               {"not pcx", With(base, 0, "\x0b"), 27},
        {"header cut", Cut(base, 127), 2},              {"uncompressed", With(base, 2, "\x00"sv), 27},
        {"window reversed", With(base, 4, "\x02"), 27}, {"window too tall", Set(base, 10, 16384, 2), 27},
        {"8 bits 2 planes", With(base, 65, "\x02"), 27},
        {"1 bit 5 planes", With(With(base, 3, "\x01"), 65, "\x05"), 27},
        {"line too short", Set(base, 66, 1, 2), 27},       {"data cut", Cut(base, 129), 2},
        {"run cut", With(Cut(base, 129), 129, "\xC2"), 2}, {"second line missing", Set(base, 10, 1, 2), 2},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodePcx, c);
}

}  // namespace
