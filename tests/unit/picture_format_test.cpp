#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/picture_format.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_view_literals;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;
constexpr uint32_t kYellow = 0xFFFF00, kCyan = 0x00FFFF, kMagenta = 0xFF00FF;

void Put16(Bytes& b, std::size_t at, uint32_t v)
{
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

// A Windows bitmap as a writer lays it out: file header, info header, masks
// (after a 40-byte header, inside longer ones), palette, then the pixel data.
struct Bmp {
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bitsPerPixel = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint32_t> masks;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    uint32_t gap = 0;               // bytes between the palette and the pixels
    Bytes pixels;                   // as stored
};

Bytes Build(const Bmp& bmp)
{
    Bytes b(14 + bmp.headerSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 14, bmp.headerSize);
    Put32(b, 18, static_cast<uint32_t>(bmp.width));
    Put32(b, 22, static_cast<uint32_t>(bmp.height));
    Put16(b, 26, 1);
    Put16(b, 28, bmp.bitsPerPixel);
    Put32(b, 30, bmp.compression);
    Put32(b, 46, bmp.coloursUsed);
    for (std::size_t i = 0; i < bmp.masks.size(); ++i) Put32(b, 54 + 4 * i, bmp.masks[i]);
    for (uint32_t c : bmp.palette) {
        b.insert(b.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16), 0});
    }
    b.resize(b.size() + bmp.gap, 0xEE);
    Put32(b, 10, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), bmp.pixels.begin(), bmp.pixels.end());
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

// A PCX header of 128 bytes, the encoded scan lines and, when given, the
// 256-colour palette at the end.
struct Pcx {
    uint8_t version = 5;
    uint8_t encoding = 1;
    uint8_t bitsPerPixel = 8;
    uint8_t planes = 1;
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    uint16_t bytesPerLine = 0;
    std::vector<uint32_t> headerPalette;  // up to 16, 0xRRGGBB
    Bytes data;
    std::vector<uint32_t> endPalette;  // 256 entries when present
};

Bytes Build(const Pcx& pcx)
{
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = pcx.version;
    b[2] = pcx.encoding;
    b[3] = pcx.bitsPerPixel;
    Put16(b, 4, static_cast<uint16_t>(pcx.xMin));
    Put16(b, 6, static_cast<uint16_t>(pcx.yMin));
    Put16(b, 8, static_cast<uint16_t>(pcx.xMax));
    Put16(b, 10, static_cast<uint16_t>(pcx.yMax));
    for (std::size_t i = 0; i < pcx.headerPalette.size(); ++i) {
        b[16 + 3 * i] = static_cast<uint8_t>(pcx.headerPalette[i] >> 16);
        b[17 + 3 * i] = static_cast<uint8_t>(pcx.headerPalette[i] >> 8);
        b[18 + 3 * i] = static_cast<uint8_t>(pcx.headerPalette[i]);
    }
    b[65] = pcx.planes;
    Put16(b, 66, pcx.bytesPerLine);
    b.insert(b.end(), pcx.data.begin(), pcx.data.end());
    if (!pcx.endPalette.empty()) {
        b.push_back(0x0C);
        for (uint32_t c : pcx.endPalette) {
            b.insert(b.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
        }
    }
    return b;
}

std::array<int32_t, 5> Recognise(const Bytes& file, uint64_t size)
{
    std::span<const uint8_t> start(file.data(), std::min<std::size_t>(file.size(), 512));
    PictureInfo info = RecognisePicture(start, size);
    return {info.type, info.width, info.height, info.colours, info.compressed};
}

std::array<int32_t, 5> Recognise(const Bytes& file) { return Recognise(file, file.size()); }

Bytes WithSize(Bytes b, std::size_t size)
{
    b.resize(size, 0);
    return b;
}

// ---------------------------------------------------------------- recognition

Bytes PlaceableMetafile(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch)
{
    Bytes b(22, 0);
    Put32(b, 0, 0x9AC6CDD7);
    Put16(b, 6, static_cast<uint16_t>(left));
    Put16(b, 8, static_cast<uint16_t>(top));
    Put16(b, 10, static_cast<uint16_t>(right));
    Put16(b, 12, static_cast<uint16_t>(bottom));
    Put16(b, 14, inch);
    return b;
}

Bytes EnhancedMetafile(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Bytes b(88, 0);
    Put32(b, 0, 1);
    Put32(b, 24, static_cast<uint32_t>(left));
    Put32(b, 28, static_cast<uint32_t>(top));
    Put32(b, 32, static_cast<uint32_t>(right));
    Put32(b, 36, static_cast<uint32_t>(bottom));
    b[40] = ' ';
    b[41] = 'E';
    b[42] = 'M';
    b[43] = 'F';
    return b;
}

TEST(PictureRecognition, FollowsTheTableInOrder)
{
    Bytes bmp320 = Build(Bmp{.width = 320, .height = 200, .bitsPerPixel = 8});
    Bytes pcx640 = Build(Pcx{.version = 5, .xMax = 639, .yMax = 479, .bytesPerLine = 640});
    Bytes os2 = WithSize(Text("BM"), 64);
    Put32(os2, 14, 12);
    Bytes os2WithEmf = os2;
    os2WithEmf[40] = ' ', os2WithEmf[41] = 'E', os2WithEmf[42] = 'M', os2WithEmf[43] = 'F';
    Bytes bmpWithEmf = bmp320;
    bmpWithEmf[40] = ' ', bmpWithEmf[41] = 'E', bmpWithEmf[42] = 'M', bmpWithEmf[43] = 'F';
    Bytes reserved = bmp320;
    reserved[8] = 1;
    Bytes gif = WithSize(Text("GIF89a"), 13);
    Put16(gif, 6, 20);
    Put16(gif, 8, 30);
    gif[10] = 0x82;
    Bytes postscriptWithEmf = WithSize(Text("%!PS-Adobe-2.0\n"), 64);
    postscriptWithEmf[40] = ' ', postscriptWithEmf[41] = 'E', postscriptWithEmf[42] = 'M', postscriptWithEmf[43] = 'F';
    const int32_t kMax = std::numeric_limits<int32_t>::max();

    struct Case {
        const char* name;
        Bytes file;
        std::array<int32_t, 5> info;
    } cases[] = {
        {"bmp 320x200", bmp320, {1, 320, 200, 256, 0}},
        {"bmp rle8", Build(Bmp{.width = 3, .height = 2, .bitsPerPixel = 8, .compression = 1}), {1, 3, 2, 256, 1}},
        {"bmp rle4", Build(Bmp{.width = 3, .height = 2, .bitsPerPixel = 4, .compression = 2}), {1, 3, 2, 16, 1}},
        {"bmp bit fields", Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 16, .compression = 3}),
         {1, 1, 1, 65536, 0}},
        {"bmp jpeg", Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 0, .compression = 4}), {1, 1, 1, 1, 1}},
        {"bmp top-down 24", Build(Bmp{.width = 5, .height = -7, .bitsPerPixel = 24}), {1, 5, -7, 16777216, 0}},
        {"bmp 32 saturates", Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 32}), {1, 1, 1, kMax, 0}},
        {"bmp header 124", Build(Bmp{.headerSize = 124, .width = 2, .height = 2, .bitsPerPixel = 1}),
         {1, 2, 2, 2, 0}},
        {"os/2 bitmap", os2, {0, 0, 0, 0, 0}},
        {"bmp reserved word", reserved, {0, 0, 0, 0, 0}},
        {"bmp before emf", bmpWithEmf, {1, 320, 200, 256, 0}},
        {"os/2 with emf", os2WithEmf, {3, 0, 0, 0, 0}},
        {"pcx 640x480", pcx640, {2, 640, 480, 256, 5}},
        {"pcx window", Build(Pcx{.version = 3, .bitsPerPixel = 1, .planes = 4, .xMin = 10, .yMin = -5,
                                 .xMax = 19, .yMax = 4}),
         {2, 10, 10, 16, 3}},
        {"pcx 24-bit", Build(Pcx{.version = 5, .bitsPerPixel = 8, .planes = 3, .xMax = 1, .yMax = 1}),
         {2, 2, 2, 16777216, 5}},
        {"pcx uncompressed", WithSize(Bytes{10, 5, 0, 8}, 128), {0, 0, 0, 0, 0}},
        {"placeable", PlaceableMetafile(0, 0, 1440, 720, 1440), {3, 72, 36, 0, 0}},
        {"placeable truncates", PlaceableMetafile(-100, 50, 900, 1000, 576), {3, 125, 118, 0, 0}},
        {"placeable no units", PlaceableMetafile(0, 0, 100, 100, 0), {3, 0, 0, 0, 0}},
        {"enhanced a4", EnhancedMetafile(0, 0, 21000, 29700), {3, 595, 841, 0, 0}},
        {"enhanced wide", EnhancedMetafile(-2000000000, 0, 2000000000, 2540), {3, 113385826, 72, 0, 0}},
        {"hp-gl", Text("IN;SP1;PU0,0;\n"), {4, 0, 0, 0, 0}},
        {"hp-gl indented", Text(" \t IN;\r\n"), {4, 0, 0, 0, 0}},
        {"hp-gl lower case", Text("in;sp1;\n"), {0, 0, 0, 0, 0}},
        {"hp-gl/2 in pcl", Text("\x1b%0BIN;\n"), {5, 0, 0, 0, 0}},
        {"postscript", Text("%!PS-Adobe-3.0\n%%Title: x\n"), {10, 0, 0, 0, 0}},
        {"postscript indented", Text("  %!PS\n"), {10, 0, 0, 0, 0}},
        {"postscript before emf", postscriptWithEmf, {10, 0, 0, 0, 0}},
        {"dxf", Text("  0\r\nSECTION\r\n  2\r\nHEADER\r\n"), {14, 0, 0, 0, 0}},
        {"dxf bare", Text("0\nSECTION\n"), {14, 0, 0, 0, 0}},
        {"dxf indented section", Text("0 \n  SECTION"), {14, 0, 0, 0, 0}},
        {"dxf other section word", Text("0\nSECTIONS\n"), {14, 0, 0, 0, 0}},
        {"dxf wrong second line", Text("0\nEOF\n"), {0, 0, 0, 0, 0}},
        {"dxf blank second line", Text("0\n\nSECTION\n"), {0, 0, 0, 0, 0}},
        {"dxf no second line", Text("   0   "), {0, 0, 0, 0, 0}},
        {"dxf other group code", Text("10\nSECTION\n"), {0, 0, 0, 0, 0}},
        {"IN in columns 127 and 128", Text(std::string(126, ' ') + "IN;\n"), {4, 0, 0, 0, 0}},
        {"IN after 128 blanks", Text(std::string(128, ' ') + "IN;\n"), {0, 0, 0, 0, 0}},
        {"gif", gif, {6, 20, 30, 8, 0}},
        {"gif87a", WithSize(Text("GIF87a"), 13), {6, 0, 0, 0, 0}},
        {"tiff intel", Bytes{'I', 'I', '*', 0, 8, 0, 0, 0}, {7, 0, 0, 0, 0}},
        {"tiff motorola", Bytes{'M', 'M', 0, '*', 0, 0, 0, 8}, {7, 0, 0, 0, 0}},
        {"draw", Text("Draw\xc9\0\0\0"sv), {8, 0, 0, 0, 0}},
        {"tektronix", Text("\x1b[?38h\x1b\x0c"), {9, 0, 0, 0, 0}},
        {"pcl reset", Text("\x1b" "E\x1b&l0O"), {11, 0, 0, 0, 0}},
        {"pcl position", Text("\x1b&a0R"), {11, 0, 0, 0, 0}},
        {"esc/p", Text("\x1b@\x1bx1"), {12, 0, 0, 0, 0}},
        {"esc u 1", Text("\x1bU\x01\0yz"sv), {13, 0, 0, 0, 0}},
        {"esc u 0", Text("\x1bU\0\0yz"sv), {0, 0, 0, 0, 0}},
        {"esc other", Text("\x1b*rB"), {0, 0, 0, 0, 0}},
        {"plain text", Text("Readme\n"), {0, 0, 0, 0, 0}},
        {"four bytes", Text("IN;\n"), {4, 0, 0, 0, 0}},
        {"three bytes", Text("IN;"), {0, 0, 0, 0, 0}},
        {"three bytes of pcx", Bytes{10, 5, 1}, {0, 0, 0, 0, 0}},
        {"empty", Bytes{}, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Recognise(c.file), c.info) << c.name;
}

TEST(PictureRecognition, ReadsOnlyTheBytesItIsGiven)
{
    struct Case {
        const char* name;
        Bytes start;
        uint64_t fileSize;
        std::array<int32_t, 5> info;
    } cases[] = {
        {"pcx header cut short", Bytes{10, 5, 1}, 5000, {2, 1, 1, 1, 5}},
        {"bmp without header size", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 5000, {0, 0, 0, 0, 0}},
        {"bmp without reserved word", Bytes{'B', 'M', 0, 0}, 5000, {0, 0, 0, 0, 0}},
        {"bmp with header size only", WithSize(Bytes{'B', 'M'}, 18), 5000, {1, 0, 0, 1, 0}},
        {"nothing given", Bytes{}, 5000, {0, 0, 0, 0, 0}},
        {"text cut short", Text("%!P"), 5000, {0, 0, 0, 0, 0}},
        {"dxf second line cut", Text("0\nSECT"), 5000, {0, 0, 0, 0, 0}},
        {"size decides shortness", Text("%!PS"), 3, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Recognise(c.start, c.fileSize), c.info) << c.name;
}

// --------------------------------------------------------------- BMP decoding

struct Expected {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;  // top row first
};

void ExpectPicture(const DecodedPicture& got, const Expected& want, const std::string& name)
{
    EXPECT_EQ(got.width, want.width) << name;
    EXPECT_EQ(got.height, want.height) << name;
    EXPECT_EQ(got.pixels, want.pixels) << name;
}

struct DecodeCase {
    const char* name;
    Bytes file;
    Expected picture;
};

void ExpectDecoded(int32_t (*decode)(std::span<const uint8_t>, DecodedPicture&), const DecodeCase& c)
{
    DecodedPicture out;
    EXPECT_EQ(decode(c.file, out), 0) << c.name;
    ExpectPicture(out, c.picture, c.name);
}

// Six greys and two colours, all distinct.
const std::vector<uint32_t> kPalette8 = {0x101010, kRed, kGreen, kBlue, kWhite, 0x808080, kYellow, kCyan};

std::vector<uint32_t> GreyPalette16()
{
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < 16; ++i) p.push_back(i * 0x111111);
    return p;
}

TEST(BmpDecoding, DecodesEachUncompressedDepth)
{
    // 24 bits, 3x2: rows of 9 bytes padded to 12, bottom row first.
    const Bytes rows24 = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0, 0, 0,
                          0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};
    const std::vector<uint32_t> upright = {kRed, kGreen, kBlue, kYellow, kCyan, kMagenta};
    const std::vector<uint32_t> flipped = {kYellow, kCyan, kMagenta, kRed, kGreen, kBlue};
    Bytes unpadded = Build(Bmp{.width = 3, .height = 2, .pixels = rows24});
    unpadded.resize(unpadded.size() - 3);

    const DecodeCase cases[] = {
        {"24 bottom-up", Build(Bmp{.width = 3, .height = 2, .pixels = rows24}), {3, 2, upright}},
        {"24 top-down", Build(Bmp{.width = 3, .height = -2, .pixels = rows24}), {3, 2, flipped}},
        {"24 last row unpadded", unpadded, {3, 2, upright}},
        {"24 after a gap", Build(Bmp{.width = 3, .height = 2, .gap = 5, .pixels = rows24}), {3, 2, upright}},
        {"1 bit",
         Build(Bmp{.width = 3, .height = 2, .bitsPerPixel = 1, .palette = {0x112233, 0xAABBCC},
                   .pixels = {0x60, 0, 0, 0, 0xA0, 0, 0, 0}}),
         {3, 2, {0xAABBCC, 0x112233, 0xAABBCC, 0x112233, 0xAABBCC, 0xAABBCC}}},
        {"4 bits, six colours used",
         Build(Bmp{.width = 3, .height = 2, .bitsPerPixel = 4, .coloursUsed = 6,
                   .palette = {kPalette8.begin(), kPalette8.begin() + 6},
                   .pixels = {0x12, 0x30, 0, 0, 0x50, 0x70, 0, 0}}),
         {3, 2, {0x808080, 0x101010, kBlack, kRed, kGreen, kBlue}}},
        {"8 bits top-down, four colours used",
         Build(Bmp{.width = 3, .height = -2, .bitsPerPixel = 8, .coloursUsed = 4,
                   .palette = {kPalette8.begin(), kPalette8.begin() + 4}, .pixels = {0, 1, 2, 0, 3, 4, 255, 0}}),
         {3, 2, {0x101010, kRed, kGreen, kBlue, kBlack, kBlack}}},
        {"1 bit, more colours used than fit",
         Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 1, .coloursUsed = 300, .palette = {kRed, kBlue},
                   .pixels = {0x80, 0, 0, 0}}),
         {1, 1, {kBlue}}},
        {"16 bits 5-5-5",
         Build(Bmp{.width = 3, .height = 2, .bitsPerPixel = 16,
                   .pixels = {0x10, 0x42, 0xFF, 0x7F, 0x00, 0x80, 0, 0, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}}),
         {3, 2, {kRed, kGreen, kBlue, 0x848484, kWhite, kBlack}}},
        {"16 bits 5-6-5 fields",
         Build(Bmp{.width = 2, .height = 1, .bitsPerPixel = 16, .compression = 3,
                   .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0x00, 0xF8, 0x10, 0x84}}),
         {2, 1, {kRed, 0x848284}}},
        {"32 bits",
         Build(Bmp{.width = 2, .height = 1, .bitsPerPixel = 32,
                   .pixels = {0x56, 0x34, 0x12, 0xFF, 0x01, 0x02, 0x03, 0x00}}),
         {2, 1, {0x123456, 0x030201}}},
        {"32 bits fields, red lowest",
         Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 32, .compression = 3,
                   .masks = {0x000000FF, 0x0000FF00, 0x00FF0000}, .pixels = {0x12, 0x34, 0x56, 0x78}}),
         {1, 1, {0x123456}}},
        {"32 bits fields, ten bits a channel",
         Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 32, .compression = 3,
                   .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}, .pixels = {0x00, 0x00, 0xF8, 0x3F}}),
         {1, 1, {0xFF8000}}},
        {"32 bits fields, no blue mask",
         Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 32, .compression = 3,
                   .masks = {0x00FF0000, 0x0000FF00, 0}, .pixels = {0xFF, 0x22, 0x11, 0x00}}),
         {1, 1, {0x112200}}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
}

TEST(BmpDecoding, FindsPaletteAndMasksAfterEveryHeaderSize)
{
    for (uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        SCOPED_TRACE("header " + std::to_string(size));
        ExpectDecoded(DecodeBmp,
                      {"palette",
                       Build(Bmp{.headerSize = size, .width = 2, .height = 1, .bitsPerPixel = 8, .coloursUsed = 3,
                                 .palette = {kRed, kGreen, kBlue}, .pixels = {2, 1, 0, 0}}),
                       {2, 1, {kBlue, kGreen}}});
        ExpectDecoded(DecodeBmp,
                      {"masks",
                       Build(Bmp{.headerSize = size, .width = 1, .height = 1, .bitsPerPixel = 16, .compression = 3,
                                 .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0xE0, 0x07, 0, 0}}),
                       {1, 1, {kGreen}}});
    }
}

TEST(BmpDecoding, ExpandsRunLengthData)
{
    const uint32_t p0 = kPalette8[0];
    const std::vector<uint32_t> grey = GreyPalette16();
    auto g = [&](int i) { return grey[static_cast<std::size_t>(i)]; };
    const DecodeCase cases[] = {
        {"rle8 runs, absolute run, delta",
         Build(Bmp{.width = 4, .height = 3, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 8, .palette = kPalette8,
                   .pixels = {
                       0x03, 0x01, 0x00, 0x00,                          // bottom: three red, end of line
                       0x00, 0x03, 0x02, 0x03, 0x04, 0x00, 0x01, 0x01,  // absolute 3 (padded), one red
                       0x00, 0x00,                                      // end of line
                       0x00, 0x02, 0x02, 0x00, 0x01, 0x03,              // delta 2 right, one blue
                       0x00, 0x01,                                      // end of bitmap
                   }}),
         {4, 3, {p0, p0, kBlue, p0, kGreen, kBlue, kWhite, kRed, kRed, kRed, kRed, p0}}},
        {"rle8 delta down, run clipped at the edge",
         Build(Bmp{.width = 2, .height = 3, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 8, .palette = kPalette8,
                   .pixels = {0x05, 0x02, 0x00, 0x00, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x00, 0x01}}),
         {2, 3, {p0, kRed, p0, p0, kGreen, kGreen}}},
        {"rle8 ends after the last line",
         Build(Bmp{.width = 2, .height = 1, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 8, .palette = kPalette8,
                   .pixels = {0x02, 0x01, 0x00, 0x00}}),
         {2, 1, {kRed, kRed}}},
        {"rle8 index beyond the palette",
         Build(Bmp{.width = 2, .height = 1, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 2,
                   .palette = {kRed, kGreen}, .pixels = {0x01, 0x01, 0x01, 0x09, 0x00, 0x01}}),
         {2, 1, {kGreen, kBlack}}},
        {"rle4 runs alternate nibbles",
         Build(Bmp{.width = 4, .height = 2, .bitsPerPixel = 4, .compression = 2, .palette = grey,
                   .pixels = {0x03, 0x12, 0x00, 0x00, 0x00, 0x03, 0xAB, 0xC0, 0x01, 0xF0, 0x00, 0x01}}),
         {4, 2, {g(10), g(11), g(12), g(15), g(1), g(2), g(1), g(0)}}},
        {"rle4 absolute run padded to a word",
         Build(Bmp{.width = 6, .height = 1, .bitsPerPixel = 4, .compression = 2, .palette = grey,
                   .pixels = {0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x01, 0x60, 0x00, 0x01}}),
         {6, 1, {g(1), g(2), g(3), g(4), g(5), g(6)}}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
}

struct FailureCase {
    const char* name;
    Bytes file;
    int32_t code;
};

void ExpectFailure(int32_t (*decode)(std::span<const uint8_t>, DecodedPicture&), const FailureCase& c)
{
    DecodedPicture out{7, 7, std::vector<uint32_t>(49, 1)};
    EXPECT_EQ(decode(c.file, out), c.code) << c.name;
    EXPECT_EQ(out.width, 0) << c.name;
    EXPECT_EQ(out.height, 0) << c.name;
    EXPECT_TRUE(out.pixels.empty()) << c.name;
}

Bytes Changed(Bytes b, const std::function<void(Bytes&)>& change)
{
    change(b);
    return b;
}

TEST(BmpDecoding, RefusesBadAndShortFiles)
{
    // 2x2 at 24 bits: 62 bytes of headers, two rows of 8 bytes.
    const Bytes base = Build(Bmp{.width = 2, .height = 2, .pixels = Bytes(16, 0x40)});
    auto set32 = [&](std::size_t at, uint32_t v) { return Changed(base, [=](Bytes& b) { Put32(b, at, v); }); };
    auto set16 = [&](std::size_t at, uint32_t v) { return Changed(base, [=](Bytes& b) { Put16(b, at, v); }); };
    auto cut = [&](std::size_t n) { return Bytes(base.begin(), base.end() - static_cast<std::ptrdiff_t>(n)); };
    auto wide = [&](int32_t w, int32_t h) {
        return Changed(base, [=](Bytes& b) {
            Put32(b, 18, static_cast<uint32_t>(w));
            Put32(b, 22, static_cast<uint32_t>(h));
        });
    };
    auto rleData = [&](Bytes data) {
        return Build(Bmp{.width = 2, .height = 2, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 1,
                         .palette = {kRed}, .pixels = std::move(data)});
    };
    const Bytes rle = rleData({0x02, 0x00, 0x00, 0x00});
    Bytes palette = Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 8, .palette = std::vector<uint32_t>(256),
                              .pixels = {0, 0, 0, 0}});
    palette.resize(54 + 100);
    Put32(palette, 10, 54);  // the pixels start in what is left of the palette
    const FailureCase cases[] = {
        {"empty", {}, 2},
        {"one byte", {'B'}, 2},
        {"not BM", Changed(base, [](Bytes& b) { b[1] = 'A'; }), 27},
        {"file header only", Bytes(base.begin(), base.begin() + 17), 2},
        {"info header cut", Bytes(base.begin(), base.begin() + 53), 2},
        {"reserved word", set32(6, 1), 27},
        {"os/2 header", set32(14, 12), 27},
        {"os/2 v2 header", set32(14, 64), 27},
        {"zero width", wide(0, 2), 27},
        {"negative width", wide(-3, 2), 27},
        {"zero height", wide(2, 0), 27},
        {"too wide", wide(16385, 1), 27},
        {"too tall top-down", wide(1, -16385), 27},
        {"lowest height", wide(1, std::numeric_limits<int32_t>::min()), 27},
        {"too many pixels", wide(16384, 1025), 27},
        {"2 bits", set16(28, 2), 27},
        {"0 bits", set16(28, 0), 27},
        {"48 bits", set16(28, 48), 27},
        {"jpeg", set32(30, 4), 27},
        {"png", set32(30, 5), 27},
        {"alpha bit fields", set32(30, 6), 27},
        {"rle8 at 24 bits", set32(30, 1), 27},
        {"bit fields at 24 bits", set32(30, 3), 27},
        {"rle8 at 4 bits", Changed(rle, [](Bytes& b) { Put16(b, 28, 4); }), 27},
        {"rle4 at 8 bits", Changed(rle, [](Bytes& b) { Put32(b, 30, 2); }), 27},
        {"rle8 top-down", Changed(rle, [](Bytes& b) { Put32(b, 22, static_cast<uint32_t>(-2)); }), 27},
        {"pixels inside the header", set32(10, 53), 27},
        {"pixels beyond the end", set32(10, static_cast<uint32_t>(base.size() + 1)), 2},
        {"pixels cut", cut(3), 2},
        {"a huge picture in a small file", wide(4096, 4096), 2},
        {"palette cut", palette, 2},
        {"bit field masks cut", Build(Bmp{.width = 1, .height = 1, .bitsPerPixel = 16, .compression = 3}), 2},
        {"rle8 rows missing", rleData({0x02, 0x01, 0x00, 0x00}), 2},
        {"rle8 delta cut", rleData({0x00, 0x02, 0x01}), 2},
        {"rle8 absolute run cut", rleData({0x00, 0x04, 0x01, 0x02}), 2},
        {"rle8 pair cut", rleData({0x02}), 2},
        {"rle8 no data", rleData({}), 2},
    };
    for (const FailureCase& c : cases) ExpectFailure(DecodeBmp, c);
}

// --------------------------------------------------------------- PCX decoding

const std::vector<uint32_t> kHeaderPalette = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                              0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                              0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

uint32_t H(int i) { return kHeaderPalette[static_cast<std::size_t>(i)]; }

uint32_t Grey(uint32_t v) { return v * 0x010101; }

TEST(PcxDecoding, DecodesEachLayout)
{
    std::vector<uint32_t> end(256, 0);
    end[0] = 0x123456, end[1] = 0x654321, end[2] = 0xABCDEF, end[7] = 0x0A0B0C, end[255] = 0xFEDCBA;
    const DecodeCase cases[] = {
        {"monochrome",
         Build(Pcx{.bitsPerPixel = 1, .xMax = 9, .yMax = 1, .bytesPerLine = 2, .headerPalette = kHeaderPalette,
                   .data = {0xA5, 0x80, 0xC1, 0xFF, 0x40}}),
         {10, 2, {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite, kBlack, kWhite, kWhite, kBlack,
                  kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack, kWhite}}},
        {"16 colours in 4 planes",
         Build(Pcx{.bitsPerPixel = 1, .planes = 4, .xMax = 7, .bytesPerLine = 2, .headerPalette = kHeaderPalette,
                   .data = {0x8A, 0x00, 0x49, 0x00, 0x2A, 0x00, 0x19, 0x00}}),
         {8, 1, {H(1), H(2), H(4), H(8), H(15), H(0), H(5), H(10)}}},
        {"4 colours, 2 bits",
         Build(Pcx{.bitsPerPixel = 2, .xMax = 3, .bytesPerLine = 2, .headerPalette = kHeaderPalette,
                   .data = {0xC1, 0xC9, 0x00}}),
         {4, 1, {H(3), H(0), H(2), H(1)}}},
        {"16 colours, 4 bits",
         Build(Pcx{.bitsPerPixel = 4, .xMax = 2, .bytesPerLine = 2, .headerPalette = kHeaderPalette,
                   .data = {0xC1, 0xF7, 0x90}}),
         {3, 1, {H(15), H(7), H(9)}}},
        {"256 colours with palette",
         Build(Pcx{.xMax = 3, .yMax = 1, .bytesPerLine = 4, .data = {0x00, 0x01, 0x02, 0xC1, 0xFF, 0xC4, 0x07},
                   .endPalette = end}),
         {4, 2, {end[0], end[1], end[2], end[255], end[7], end[7], end[7], end[7]}}},
        {"256 colours without palette",
         Build(Pcx{.xMax = 1, .bytesPerLine = 2, .data = {0x10, 0x80}}), {2, 1, {Grey(0x10), Grey(0x80)}}},
        {"24 bits in 3 planes",
         Build(Pcx{.planes = 3, .xMax = 1, .yMax = 1, .bytesPerLine = 2,
                   .data = {0xC1, 0xFF, 0x00, 0x00, 0xC1, 0xFF, 0x10, 0x20, 1, 2, 3, 4, 5, 6}}),
         {2, 2, {0xFF0010, 0x00FF20, 0x010305, 0x020406}}},
        {"run across planes",
         Build(Pcx{.planes = 3, .xMax = 0, .yMax = 1, .bytesPerLine = 2,
                   .data = {0xC3, 0x7F, 0x00, 0x20, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00}}),
         {1, 2, {0x7F7F20, 0x010203}}},
        {"run across scan lines",
         Build(Pcx{.xMax = 2, .yMax = 1, .bytesPerLine = 4, .data = {0xC6, 0x05, 0x09, 0x00}}),
         {3, 2, {Grey(5), Grey(5), Grey(5), Grey(5), Grey(5), Grey(9)}}},
        {"empty run", Build(Pcx{.xMax = 1, .bytesPerLine = 2, .data = {0xC0, 0x55, 0x33, 0x44}}),
         {2, 1, {Grey(0x33), Grey(0x44)}}},
        {"window away from the origin",
         Build(Pcx{.xMin = 5, .yMin = 3, .xMax = 6, .yMax = 3, .bytesPerLine = 2, .data = {0x33, 0x44}}),
         {2, 1, {Grey(0x33), Grey(0x44)}}},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodePcx, c);
}

TEST(PcxDecoding, RefusesBadAndShortFiles)
{
    const Pcx good{.xMax = 1, .bytesPerLine = 2, .data = {0x10, 0x20}};
    auto with = [&](const std::function<void(Pcx&)>& change) {
        Pcx p = good;
        change(p);
        return Build(p);
    };
    const Bytes base = Build(good);
    const FailureCase cases[] = {
        {"empty", {}, 2},
        {"not pcx", Changed(base, [](Bytes& b) { b[0] = 11; }), 27},
        {"header cut", Bytes(base.begin(), base.begin() + 127), 2},
        {"uncompressed", with([](Pcx& p) { p.encoding = 0; }), 27},
        {"unknown encoding", with([](Pcx& p) { p.encoding = 2; }), 27},
        {"8 bits 4 planes", with([](Pcx& p) { p.planes = 4; }), 27},
        {"8 bits 2 planes", with([](Pcx& p) { p.planes = 2; }), 27},
        {"no planes", with([](Pcx& p) { p.planes = 0; }), 27},
        {"1 bit 5 planes", with([](Pcx& p) { p.bitsPerPixel = 1, p.planes = 5; }), 27},
        {"4 bits 2 planes", with([](Pcx& p) { p.bitsPerPixel = 4, p.planes = 2; }), 27},
        {"2 bits 2 planes", with([](Pcx& p) { p.bitsPerPixel = 2, p.planes = 2; }), 27},
        {"16 bits", with([](Pcx& p) { p.bitsPerPixel = 16; }), 27},
        {"0 bits", with([](Pcx& p) { p.bitsPerPixel = 0; }), 27},
        {"window reversed", with([](Pcx& p) { p.xMin = 2; }), 27},
        {"window too wide", with([](Pcx& p) { p.xMin = -32768, p.xMax = 32767; }), 27},
        {"window too tall", with([](Pcx& p) { p.yMax = 16384; }), 27},
        {"line too short", with([](Pcx& p) { p.bytesPerLine = 1; }), 27},
        {"no line", with([](Pcx& p) { p.bytesPerLine = 0; }), 27},
        {"data cut", with([](Pcx& p) { p.data = {0x10}; }), 2},
        {"run cut", with([](Pcx& p) { p.data = {0x10, 0xC2}; }), 2},
        {"a huge picture in a small file",
         with([](Pcx& p) { p.xMax = 16383, p.yMax = 1023, p.bytesPerLine = 16384, p.data = Bytes(10, 0xFF); }), 2},
        {"second line missing", with([](Pcx& p) { p.yMax = 1; }), 2},
    };
    for (const FailureCase& c : cases) ExpectFailure(DecodePcx, c);
}

}  // namespace
