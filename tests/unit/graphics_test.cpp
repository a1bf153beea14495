// Picture recognition and decoding, the graphics state, background bands and page picture placement.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string_view>
#include <tuple>
#include <vector>

#include "errors/errors.h"
#include "graphics/graphics_state.h"
#include "graphics/picture_format.h"
#include "pages/picture_placement.h"
#include "ui/band_colours.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_view_literals;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// Writes the n low bytes of v at offset at, little-endian, growing b as needed.
Bytes Set(Bytes b, std::size_t at, uint32_t v, std::size_t n = 4)
{
    if (b.size() < at + n) b.resize(at + n);
    for (std::size_t i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return b;
}

Bytes With(Bytes b, std::size_t at, std::string_view s)  // s written over b at offset at
{
    for (char c : s) b = Set(std::move(b), at++, static_cast<uint8_t>(c), 1);
    return b;
}

Bytes Text(std::string_view s) { return With({}, 0, s); }
Bytes Cut(const Bytes& b, std::size_t size) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size)); }

// A Windows bitmap as a writer lays it out: file header, info header (masks at 54), palette, gap, pixels.
struct Bmp {
    uint32_t hdr = 40;
    int32_t w = 0, h = 0;
    uint32_t bits = 24, comp = 0, used = 0;
    std::vector<uint32_t> masks, pal;  // palette entries 0xRRGGBB
    uint32_t gap = 0;
    Bytes px;
};

Bytes BmpFile(const Bmp& m)
{
    Bytes b = With(Bytes(14 + m.hdr), 0, "BM");
    std::size_t at = 14;
    for (uint32_t v : {m.hdr, uint32_t(m.w), uint32_t(m.h), 1 | m.bits << 16, m.comp}) b = Set(b, at, v), at += 4;
    b = Set(b, 46, m.used);
    for (std::size_t i = 0; i < m.masks.size(); ++i) b = Set(b, 54 + 4 * i, m.masks[i]);
    for (uint32_t c : m.pal) b = Set(b, b.size(), c);
    b.resize(b.size() + m.gap, 0xEE);
    b = Set(b, 10, uint32_t(b.size()));
    b.insert(b.end(), m.px.begin(), m.px.end());
    return Set(b, 2, uint32_t(b.size()));
}

const std::vector<uint32_t> kEga = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// A 128-byte PCX header with the EGA palette, the encoded lines and, when given, the 256-colour end palette.
struct Pcx {
    uint8_t version = 5, encoding = 1, bits = 8, planes = 1;
    int16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint16_t line = 0;
    Bytes data;
    std::vector<uint32_t> end;
};

Bytes PcxFile(const Pcx& p)
{
    Bytes b(128);
    auto rgb = [&b](std::size_t at, const std::vector<uint32_t>& colours) {
        for (uint32_t c : colours) b = Set(b, at, (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16, 3), at += 3;
    };
    b[0] = 10, b[1] = p.version, b[2] = p.encoding, b[3] = p.bits, b[65] = p.planes;
    std::size_t at = 4;
    for (int16_t v : {p.x0, p.y0, p.x1, p.y1}) b = Set(b, at, uint16_t(v), 2), at += 2;
    rgb(16, kEga);
    b = Set(b, 66, p.line, 2);
    b.insert(b.end(), p.data.begin(), p.data.end());
    if (!p.end.empty()) b.push_back(0x0C), rgb(b.size(), p.end);
    return b;
}

// Placeable metafile: int16 frame and units per inch. Enhanced: int32 frame in 0.01 mm.
Bytes Metafile(bool enhanced, std::array<int32_t, 4> frame, uint16_t unitsPerInch = 0)
{
    Bytes m = enhanced ? Set(With(Bytes(88), 40, " EMF"), 0, 1) : Set(Set(Bytes(22), 0, 0x9AC6CDD7), 14, unitsPerInch, 2);
    const std::size_t n = enhanced ? 4 : 2;
    for (std::size_t i = 0; i < 4; ++i) m = Set(m, (enhanced ? 24 : 6) + n * i, uint32_t(frame[i]), n);
    return m;
}

TEST(Pictures, RecognitionFollowsTheTableInOrder)
{
    const Bytes bmp320 = BmpFile({.w = 320, .h = 200, .bits = 8}), os2 = Set(With(Bytes(64), 0, "BM"), 14, 12);
    // Info: type, width, height, colours, compressed; size: of the whole file, when not just the bytes given.
    struct Case { const char* name; Bytes file; std::array<int32_t, 5> info; uint64_t size = 0; } cases[] = {
        {"bmp", bmp320, {1, 320, 200, 256, 0}},
        {"os/2 bitmap", os2, {0}},
        {"bmp rle8", BmpFile({.w = 3, .h = 2, .bits = 8, .comp = 1}), {1, 3, 2, 256, 1}},
        {"bmp bit fields", BmpFile({.w = 1, .h = 1, .bits = 16, .comp = 3}), {1, 1, 1, 65536}},
        {"bmp top-down", BmpFile({.w = 5, .h = -7}), {1, 5, -7, 1 << 24, 0}},
        {"pcx", PcxFile({.x1 = 639, .y1 = 479, .line = 640}), {2, 640, 480, 256, 5}},
        {"pcx window", PcxFile({.version = 3, .bits = 1, .planes = 4, .x0 = 10, .y0 = -5, .x1 = 19, .y1 = 4}), {2, 10, 10, 16, 3}},
        {"placeable, truncated", Metafile(false, {-100, 50, 900, 1000}, 576), {3, 125, 118}},  // 125.1, 118.9
        {"enhanced wide", Metafile(true, {-2000000000, 0, 2000000000, 2540}), {3, 113385826, 72}},
        {"IN in columns 127 and 128", Text(std::string(126, ' ') + "IN;\n"), {4}},
        {"IN after 128 blanks", Text(std::string(128, ' ') + "IN;\n"), {0}},
        {"hp-gl/2 in pcl", Text("\x1b%0BIN;\n"), {5}},
        {"postscript before emf", With(Text("%!PS-Adobe-2.0\n"), 40, " EMF"), {10}},
        {"dxf", Text("  0\r\nSECTION\r\n"), {14}},
        {"gif", With(Bytes(13), 0, "GIF89a"), {6}},
        {"tiff", Bytes{'I', 'I', '*', 0, 8, 0, 0, 0}, {7}},
        {"pcl reset", Text("\x1b" "E\x1b&l0O"), {11}},
        {"esc/p", Text("\x1b@\x1bx1"), {12}},
        {"esc u 1", Text("\x1bU\x01\0yz"sv), {13}},
        {"size decides shortness", Text("%!PS"), {0}, 3},
        {"pcx header cut short", Bytes{10, 5, 1}, {2, 1, 1, 1, 5}, 5000},
    };
    for (const Case& c : cases) {
        const PictureInfo info = RecognisePicture(c.file, c.size ? c.size : c.file.size());
        EXPECT_EQ((std::array{info.type, info.width, info.height, info.colours, info.compressed}), c.info) << c.name;
    }
}

// A decoder's result code and picture, top row first; a failure (2 read, 27 unsupported) leaves it empty.
struct DecodeCase { const char* name; Bytes file; int32_t code, width = 0, height = 0; std::vector<uint32_t> pixels = {}; };

void ExpectDecoded(int32_t (*decode)(std::span<const uint8_t>, DecodedPicture&), const DecodeCase& c)
{
    DecodedPicture out{7, 7, std::vector<uint32_t>(49, 1)};
    const int32_t code = decode(c.file, out);
    EXPECT_EQ(std::tuple(code, out.width, out.height, out.pixels), std::tuple(c.code, c.width, c.height, c.pixels)) << c.name;
}

const std::vector<uint32_t> kPal = {0x101010, kRed, kGreen, kBlue, kWhite, 0x808080, 0xFFFF00, 0x00FFFF};

TEST(Pictures, BmpDecoding)
{
    // 24 bits, 3x2: rows of 9 bytes padded to 12, bottom row first unless the height is negative.
    const Bytes rows = {0, 255, 255, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    const std::vector<uint32_t> up = {kRed, kGreen, kBlue, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    const std::vector<uint32_t> pal4(kPal.begin(), kPal.begin() + 4), pal6(kPal.begin(), kPal.begin() + 6), p = {kPal[0]};
    const uint32_t p0 = kPal[0];
    std::vector<uint32_t> g;
    for (uint32_t i = 0; i < 16; ++i) g.push_back(i * 0x111111);
    auto rle8 = [](int32_t w, int32_t h, Bytes px) { return BmpFile({.w = w, .h = h, .bits = 8, .comp = 1, .used = 8, .pal = kPal, .px = px}); };
    const Bytes base = BmpFile({.w = 2, .h = 2, .px = Bytes(16, 0x40)});  // 54 bytes of headers, two rows of 8
    const Bytes rle = BmpFile({.w = 2, .h = 2, .bits = 8, .comp = 1, .used = 1, .pal = {kRed}});
    const DecodeCase cases[] = {
        {"24 bottom-up", BmpFile({.w = 3, .h = 2, .px = rows}), 0, 3, 2, up},
        {"24 top-down", BmpFile({.w = 3, .h = -2, .px = rows}), 0, 3, 2, {up[3], up[4], up[5], up[0], up[1], up[2]}},
        {"24 after a gap, last row unpadded", Cut(BmpFile({.w = 3, .h = 2, .gap = 5, .px = rows}), 59 + 21), 0, 3, 2, up},
        {"1 bit", BmpFile({.w = 3, .h = 2, .bits = 1, .pal = {0x112233, 0xAABBCC}, .px = {0x60, 0, 0, 0, 0xA0, 0, 0, 0}}),
         0, 3, 2, {0xAABBCC, 0x112233, 0xAABBCC, 0x112233, 0xAABBCC, 0xAABBCC}},
        {"4 bits, six colours", BmpFile({.w = 3, .h = 2, .bits = 4, .used = 6, .pal = pal6, .px = {0x12, 0x30, 0, 0, 0x50, 0x70, 0, 0}}),
         0, 3, 2, {0x808080, 0x101010, kBlack, kRed, kGreen, kBlue}},
        {"8 bits top-down", BmpFile({.w = 3, .h = -2, .bits = 8, .used = 4, .pal = pal4, .px = {0, 1, 2, 0, 3, 4, 255, 0}}),
         0, 3, 2, {0x101010, kRed, kGreen, kBlue, kBlack, kBlack}},
        {"16 bits 5-5-5", BmpFile({.w = 3, .h = 2, .bits = 16, .px = {0x10, 0x42, 0xFF, 0x7F, 0, 0x80, 0, 0, 0, 0x7C, 0xE0, 3, 0x1F, 0, 0, 0}}),
         0, 3, 2, {kRed, kGreen, kBlue, 0x848484, kWhite, kBlack}},
        {"16 bits 5-6-5 fields, header 124", BmpFile({.hdr = 124, .w = 2, .h = 1, .bits = 16, .comp = 3, .masks = {0xF800, 0x07E0, 0x001F},
                                                      .px = {0x00, 0xF8, 0x10, 0x84}}), 0, 2, 1, {kRed, 0x848284}},
        {"32 bits fields, ten bits a channel", BmpFile({.w = 1, .h = 1, .bits = 32, .comp = 3, .masks = {0x3FF00000, 0x000FFC00, 0},
                                                        .px = {0x00, 0x00, 0xF8, 0x3F}}), 0, 1, 1, {0xFF8000}},
        // From the bottom: three red, end of line; absolute 3 (padded), one red, end of line; delta 2 right, blue, end.
        {"rle8", rle8(4, 3, {3, 1, 0, 0, 0, 3, 2, 3, 4, 0, 1, 1, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1}), 0, 4, 3,
         {p0, p0, kBlue, p0, kGreen, kBlue, kWhite, kRed, kRed, kRed, kRed, p0}},
        {"rle4 absolute run padded, runs alternate nibbles",
         BmpFile({.w = 6, .h = 2, .bits = 4, .comp = 2, .pal = g, .px = {0, 5, 0x12, 0x34, 0x50, 0, 1, 0x60, 0, 0, 3, 0xAB, 0, 1}}),
         0, 6, 2, {g[10], g[11], g[10], g[0], g[0], g[0], g[1], g[2], g[3], g[4], g[5], g[6]}},
        {"not BM", With(base, 1, "A"), 27},
        {"os/2 header", Set(base, 14, 12), 27},
        {"too many pixels", Set(Set(base, 18, 16384), 22, 1025), 27},
        {"2 bits", Set(base, 28, 2, 2), 27},
        {"rle top-down", Set(rle, 22, uint32_t(-2)), 27},
        {"pixels beyond the end", Set(base, 10, 71), 2},
        {"pixels cut", Cut(base, base.size() - 3), 2},
        {"palette cut", BmpFile({.w = 1, .h = 1, .bits = 8, .px = {0, 0, 0, 0}}), 2},
        {"rle rows missing", With(rle, rle.size(), "\x02\x00\x00\x00"sv), 2},
        {"rle absolute run cut", With(rle, rle.size(), "\x00\x04\x01\x02"sv), 2},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodeBmp, c);
}

TEST(Pictures, PcxDecoding)
{
    const std::vector<uint32_t>& h = kEga;
    auto grey = [](uint32_t v) { return v * 0x010101; };
    std::vector<uint32_t> end(256, 0);
    end[0] = 0x123456, end[1] = 0x654321, end[2] = 0xABCDEF, end[7] = 0x0A0B0C, end[255] = 0xFEDCBA;
    const Bytes base = PcxFile({.x1 = 1, .line = 2, .data = {0x10, 0x20}});  // 2x1, 8 bits, one plane
    const DecodeCase cases[] = {
        {"monochrome ignores the header palette", PcxFile({.bits = 1, .x1 = 9, .y1 = 1, .line = 2, .data = {0xA5, 0x80, 0xC1, 0xFF, 0x40}}), 0,
         10, 2, {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kWhite, kWhite, kWhite,
                 kWhite, kWhite, kWhite, kWhite, kBlack, kWhite}},
        {"16 colours in 4 planes", PcxFile({.bits = 1, .planes = 4, .x1 = 7, .line = 2, .data = {0x8A, 0, 0x49, 0, 0x2A, 0, 0x19, 0}}),
         0, 8, 1, {h[1], h[2], h[4], h[8], h[15], h[0], h[5], h[10]}},
        {"2 bits", PcxFile({.bits = 2, .x1 = 3, .line = 2, .data = {0xC1, 0xC9, 0x00}}), 0, 4, 1, {h[3], h[0], h[2], h[1]}},
        {"256 colours", PcxFile({.x1 = 3, .y1 = 1, .line = 4, .data = {0, 1, 2, 0xC1, 0xFF, 0xC4, 7}, .end = end}), 0, 4, 2,
         {end[0], end[1], end[2], end[255], end[7], end[7], end[7], end[7]}},
        {"256 colours without palette", PcxFile({.x1 = 1, .line = 2, .data = {0x10, 0x80}}), 0, 2, 1, {grey(0x10), grey(0x80)}},
        {"24 bits, a run across planes", PcxFile({.planes = 3, .x1 = 1, .line = 2, .data = {0xC3, 0x7F, 0x20, 1, 2}}), 0, 2, 1,
         {0x7F7F01, 0x7F2002}},
        {"run across lines", PcxFile({.x1 = 2, .y1 = 1, .line = 4, .data = {0xC6, 5, 9, 0}}), 0, 3, 2,
         {grey(5), grey(5), grey(5), grey(5), grey(5), grey(9)}},
        {"empty run, window off the origin", PcxFile({.x0 = 5, .y0 = 3, .x1 = 6, .y1 = 3, .line = 2, .data = {0xC0, 0x55, 0x33, 0x44}}),
         0, 2, 1, {grey(0x33), grey(0x44)}},
        {"not pcx", With(base, 0, "\x0b"), 27},
        {"uncompressed", With(base, 2, "\x00"sv), 27},
        {"1 bit 5 planes", With(With(base, 3, "\x01"), 65, "\x05"), 27},
        {"line too short", Set(base, 66, 1, 2), 27},
        {"run cut", With(Cut(base, 129), 129, "\xC2"), 2},
    };
    for (const DecodeCase& c : cases) ExpectDecoded(DecodePcx, c);
}

// One call on a fresh state (after a valid area and units), as "error;area;units;pixels" of the probe that follows.
TEST(GraphicsState, AreaUnitsColoursStylesAndCells)
{
    using Step = void (*)(GraphicsState&);
    const std::pair<Step, std::string_view> cases[] = {  // y counts from the bottom; errors 44 area, 16 units, 42 colour
        {[](GraphicsState& g) { SetArea(g, 0.25f, 0.1f, 0.75f, 0.6f); }, "0;256,307,768,691;box 256,499,768,499;cell 7,15"},
        {[](GraphicsState& g) { SetArea(g, 0.5f, 0.1f, 0.5f, 0.9f); }, "44;0,0,1024,768;box 0,384,1024,384;cell 14,31"},
        {[](GraphicsState& g) { SetArea(g, -0.1f, 0.1f, 0.9f, 0.9f); }, "44;0,0,1024,768;box 0,384,1024,384;cell 14,31"},
        {[](GraphicsState& g) { SetArea(g, 0.1f, 0.1f, 0.9f, 1.1f); }, "44;0,0,1024,768;box 0,384,1024,384;cell 14,31"},
        {[](GraphicsState& g) { SetPlotUnits(g, -10, 100, 10, 200); }, "0;0,0,1024,768;box 512,1532,563,1532;cell 14,31"},
        {[](GraphicsState& g) { SetPlotUnits(g, 10, 2, -10, 3); }, "16;0,0,1024,768;box 0,1920,1024,1920;cell 14,31"},
        {[](GraphicsState& g) { SetPlotUnits(g, -1, 9, 1, -9); }, "0;0,0,1024,768;box 512,384,1024,384;cell 14,31"},
        {[](GraphicsState& g) { SetTextSize(g, 2.0f, 1.6f); }, "0;0,0,1024,768;box 0,384,1024,384;cell 27,49"},
        {[](GraphicsState& g) { SetTextSize(g, 0.5f, -1); }, "0;0,0,1024,768;box 0,384,1024,384;cell 7,31"},
    };
    for (const auto& [step, expected] : cases) {
        ResetErrorState();
        GraphicsState g;
        step(g);
        const PixelRect a = AreaPixels(g, 1024, 768), box = BoxPixels(g, 0, 0.5f, 1, 0.5f, 1024, 768);  // corners in any order
        const CharacterSize cell = TextCharacterSize(g, 1024, 768);
        std::ostringstream out;
        out << QErrorInfo(1) << ';' << a.left << ',' << a.top << ',' << a.right << ',' << a.bottom << ";box " << box.left << ',' << box.top
            << ',' << box.right << ',' << box.bottom << ";cell " << cell.width << ',' << cell.height;
        EXPECT_EQ(out.str(), expected);
    }
    GraphicsState g;
    DefineColour(g, 255, -2147483647, 2147483647, 256);
    SelectColour(g, 255);
    for (int32_t number : {-1, 256}) {
        DefineColour(g, number, 10, 20, 30);
        SelectColour(g, number);
        EXPECT_EQ(QErrorInfo(1), 42) << number;
    }
    EXPECT_EQ(std::tuple(g.colour, g.colours[255], g.colours[0]), std::tuple(255, RGBColour{0, 255, 255}, RGBColour{0, 0, 0}));
    for (auto [style, expected] : {std::pair{-3, 0}, std::pair{-2, -2}, std::pair{4, 4}, std::pair{5, 0}}) {
        SetFillStyle(g, 3);
        SetFillStyle(g, style);
        EXPECT_EQ(g.fillStyle, expected) << style;
    }
    // Fonts 1 to 8: Arial then Times New Roman, each plain, italic, bold, bold italic; fixed spacing: Courier New.
    for (auto [font, face, weight, italic] : {std::tuple{1, "Arial"sv, 400, false}, std::tuple{4, "Arial"sv, 700, true},
                                             std::tuple{6, "Times New Roman"sv, 400, true}, std::tuple{7, "Times New Roman"sv, 700, false}}) {
        const FontChoice p = FontFor(font, true), f = FontFor(font, false);
        EXPECT_EQ(std::tuple(p.face, p.weight, p.italic, f.face, f.weight, f.italic), std::tuple(face, weight, italic, "Courier New"sv, weight, italic)) << font;
    }
}

TEST(GraphicsState, BandsTileTheAreaWithoutGapOrOverlap)
{
    // Horizontal band k is the k-th strip from the top, vertical band k the k-th from the right.
    GraphicsState state;
    for (auto [width, height, bands, inset] : {std::tuple{1024, 768, 255, 0.f}, std::tuple{1023, 767, 127, 0.1f}, std::tuple{640, 480, 15, 0.1f}}) {
        const float u = static_cast<float>(bands);
        SetArea(state, 2 * inset, inset, 1 - 3 * inset, 1 - inset);
        SetPlotUnits(state, 0, 0, u, u);
        const PixelRect area = AreaPixels(state, width, height);
        int32_t bottom = area.top, left = area.right;
        for (float k = 0; k < u; ++k) {
            const PixelRect row = BoxPixels(state, 0, u - k - 1, u, u - k, width, height), column = BoxPixels(state, u - k - 1, 0, u - k, u, width, height);
            ASSERT_EQ(row, (PixelRect{area.left, bottom, area.right, row.bottom})) << width << " row band " << k;
            ASSERT_EQ(column, (PixelRect{column.left, area.top, left, area.bottom})) << width << " column band " << k;
            bottom = row.bottom, left = column.left;
        }
        EXPECT_EQ(std::pair(bottom, left), std::pair(area.bottom, area.left)) << width;
    }
}

TEST(BandColours, EachComponentRoundsItsOwnStep)
{
    // floor(s + (e - s) * k / N + 1/2) in integers; the band counts a display gives are odd, so no ties.
    for (int32_t n : {1, 15, 127, 255})
        for (int32_t s = 0; s <= 255; s += 15)
            for (int32_t e = 0; e <= 255; e += 15)
                for (int32_t k = 0; k < n; ++k)
                    ASSERT_EQ(BandComponent(s, e, n, k), (2LL * s * n + 2LL * (e - s) * k + n) / (2LL * n)) << s << "->" << e << " " << n << " " << k;
    EXPECT_EQ(BandColour({0, 0, 75}, {0, 0, 255}, 255, 254), (ColourTriple{0, 0, 254}));  // 254.79: the end colour is never reached
    EXPECT_EQ(BandColour({10, 200, 0}, {250, 20, 128}, 15, 7), (ColourTriple{122, 116, 60}));
}

TEST(PagePicture, PlacedAtItsOwnSizeAboveTheBottom)
{
    for (auto [w, h, x1, y1, x2, y2] : {std::tuple{320, 200, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480},
                                        std::tuple{320, -200, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480},  // stored top-down
                                        std::tuple{640, 460, 0.0f, (1 - 460.0f / 480) / 2, 1.0f, (1 + 460.0f / 480) / 2},
                                        std::tuple{1280, 480, 0.0f, 0.1f, 1.0f, 0.6f},  // reduced to the width
                                        std::tuple{2560, 3840, 0.25f, 0.0f, 0.75f, 1.0f}}) {
        const PictureArea a = PagePictureArea(w, h, 640, 480);
        for (auto [got, expected] : {std::pair{a.x1, x1}, std::pair{a.y1, y1}, std::pair{a.x2, x2}, std::pair{a.y2, y2}})
            EXPECT_NEAR(got, expected, 1e-5) << w << 'x' << h;
    }
}

}  // namespace
