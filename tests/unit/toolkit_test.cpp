// The toolkit's portable parts: text fields, error messages, configuration, command line, field information,
// message boxes, picture recognition and decoding, and the graphics state.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "errors/errors.h"
#include "graphics/graphics_state.h"
#include "graphics/picture_format.h"
#include "startup/config.h"
#include "utilities/command_line.h"
#include "utilities/path_text.h"
#include "utilities/saturate.h"
#include "utilities/text.h"
#include "windows/field_info.h"
#include "windows/message_box.h"

namespace {

using namespace std::literals;

// op: U upper, L lower, J justify by arg, W first word into an arg-wide field ("word|rest"), I to integer,
// F from integer text by format arg into a field as wide as the result. Error: QErrorInfo(1).
// Paths: P joined with arg, B without brackets, D drive letter, R root length, M directories to make ("|" between).
struct TextCase { char op; std::string text, arg, result; int32_t error = 0; };

std::string Apply(const TextCase& c)
{
    std::string text = c.text, field(c.op == 'W' ? std::stoul(c.arg) : c.result.size(), '#');
    switch (int32_t value = 12345; c.op) {
    case 'U': return QStrUpper(text), text;
    case 'L': return QStrLower(text), text;
    case 'J': return QStrJustify(text, c.arg), text;
    case 'W': return QStrFirstWord(text, field), field + '|' + text;
    case 'I': return QStrToInt(text, value), std::to_string(value);
    case 'P': return JoinPath(text, c.arg);
    case 'B': return WithoutBrackets(text);
    case 'D': return std::string(1, DriveLetterOf(text));
    case 'R': return std::to_string(RootLength(text));
    case 'M': for (const std::string& d : DirectoriesOnPath(text)) field = (field.starts_with('#') ? "" : field + '|') + d; return field;
    default: return QStrFromInt(std::stoi(text), field, c.arg), field;
    }
}

TEST(Text, OperationsCommandLineWordsAndErrorMessages)
{
    const TextCase cases[] = {
        {'U', "abz AZ 09 {}\xe4", "", "ABZ AZ 09 {}\xe4"}, {'L', "ABZ az 09 @[\xc4", "", "abz az 09 @[\xc4"},
        {'W', "title\0Demo x\0"s, "11", "title\0Demo |           x\0"s}, {'J', "AB     ", "l", "  AB   "},
        {'I', "-17", "", "-17"}, {'I', "2147483648", "", "0", 4}, {'I', "     ", "", "0", 10},
        {'F', "5", "(I4.4)", "0005  "}, {'F', "0", "(I3.0)", "   "}, {'F', "12", " ( i3 ) ", " 12"},
        {'F', "123", "(I2.2)", "****", 18}, {'F', "5", "(I101)", std::string(120, ' ')},  // a hundred kept
        {'P', "C:", "DOS", "C:DOS"}, {'B', "[-c-]", "", "-c-"}, {'D', "c:\\x", "", "C"},
        {'R', "\\\\srv\\share\\dir", "", "12"}, {'M', "\\\\srv\\sh\\D", "", "\\\\srv|\\\\srv\\sh|\\\\srv\\sh\\D"},
    };
    for (const TextCase& c : cases)  // the error state is cleared first
        EXPECT_EQ((std::pair{(QErrorInfo(1), Apply(c)), QErrorInfo(1)}), std::pair(c.result, c.error)) << c.op << " [" << c.text << "] " << c.arg;
    using Words = std::vector<std::string_view>;  // command-line words end at a blank or a tab, or at a closing quote
    EXPECT_EQ(CommandLineWords("\"C:\\My Programs\\setup.exe\" one  two"), (Words{"C:\\My Programs\\setup.exe", "one", "two"}));
    EXPECT_EQ(std::pair(CommandLineWords("p \"\" x\ty"), CommandLineWords("p \"unclosed quote")), std::pair(Words{"p", "", "x", "y"}, Words{"p", "unclosed quote"}));

    for (auto [code, message] : {std::pair{27, "Incompatible or unsupported image file in QGrLoadImage"sv}, {1040, "General problem initializing bitmap viewer"},
                                 {0, " "}, {-1, " "}, {6, " "}, {19, " "}, {29, " "}, {45, " "}, {1000, " "}, {1041, " "}})
        EXPECT_EQ(ErrorMessage(code), message) << code;
    std::string field(64, '#');  // a field takes the message blank-padded
    EXPECT_EQ(std::pair((ErrorMessage(3, field), field), ReportLine(1007)),
              std::pair("Error closing file or device" + std::string(36, ' '), "Error=1007:Unable to load dialog from resource" + std::string(27, ' ')));
    EXPECT_EQ((std::array{AbnormalExitText("Marrowfield version 2.20", 0), AbnormalExitText("boom   ", -1234), AbnormalExitText(std::string(5000, 'm'), 1)}),
              (std::array{"Abnormal exit (code 0) :Marrowfield version 2.20"s, "Abnormal exit (code ****) :boom"s, "Abnormal exit (code 1) :" + std::string(4096, 'm')}));
}

// Applies the ini lines and finishes the configuration; then every setting that differs from its default, as "name=value;".
std::string Changes(const std::vector<std::string>& lines, ToolkitConfig c = {})
{
    for (const std::string& line : lines) ApplyIniLine(c, line);
    std::ostringstream s;
    if (FinishConfig(c); c.errorReportingMode != 0) s << "debug=" << c.errorReportingMode << ';';
    if (c.printerDriver != 28 || c.plotterDriver != 11) s << "drivers=" << c.printerDriver << ',' << c.plotterDriver << ';';
    for (auto [name, value, initial] : {std::tuple{"ini", c.initFileName.str(), "marrow.ini"}, {"plname", c.plotterFile.str(), "quorvant.plt"},
                                        {"charset", c.charsetFile.str(), "standard.chr"}, {"chardir", c.charsetDir.str(), ""}})
        if (value != initial) s << name << '=' << value << ';';
    return s.str() + (c.versionRequested ? "version;" : "");
}

TEST(Config, DefaultsIniLinesEnvironmentAndFile)
{
    ToolkitConfig config;
    EXPECT_EQ((FinishConfig(config), std::tuple(config.pathSeparator, config.applicationName.str(), Changes({}))), (std::tuple('\\', "Marrowfield"s, ""s)));
    // Tabs count as blanks; later lines win; a line is cut at 170 characters.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"  \tdebug =\t4"}, "debug=4;"}, {{"DEBUG = 2", "DEBUG = 1"}, "debug=1;"}, {{"DEBUG = 5", "DEBUG = -1", "DBG = 4", "DEBUGGING = 4", "DEBUG 4", "=DEBUG 4", "DEBUG =   ", "VE = 1"}, ""},
        {{"PLNAME =   my plotter.plt  ", "charset=x.chr"}, "plname=my plotter.plt;charset=x.chr;"}, {{"PRINTER = 37", "PLOTTER = 14"}, "drivers=37,14;"},
        {{std::string(162, ' ') + "DEBUG=4"}, "debug=4;"}, {{std::string(164, ' ') + "DEBUG=4"}, ""}, {{std::string(150, ' ') + "PLNAME = " + std::string(40, 'x')}, "plname=" + std::string(11, 'x') + ';'},
    };
    for (const auto& [lines, changes] : cases) EXPECT_EQ(Changes(lines), changes) << lines[0];
    config = {};  // the environment, then the file
    ApplyEnvironment(config, "other.ini", "D:\\CHR", "2abc"), ApplyEnvironment(config, "   ", nullptr, "9"), ApplyEnvironment(config, nullptr, nullptr, "x4");
    const std::string path = (std::filesystem::temp_directory_path() / "marrow_config_test.ini").string();
    std::ofstream(path, std::ios::binary) << "; note\r\nPRINTER = 3\r\n" << std::string(300, 'x') << "\nPLOTTER=4\n\nver=1";
    EXPECT_EQ(std::pair(ReadIniFile(config, path.c_str()), Changes({}, config)), std::pair(true, "debug=2;drivers=3,4;ini=other.ini;chardir=D:\\CHR\\;version;"s));
    EXPECT_FALSE((std::filesystem::remove(path), ReadIniFile(config, path.c_str())) || IniFileExists(path.c_str()));
}

TEST(Dialogs, FieldInformationAndMessageBoxes)
{
    static constexpr const char* kNames[] = {"Ranges", "Menus", "Checks", "Tabs", "Grids", "Colours", "Trackbars", "Lengths"};
    const std::pair<std::string, std::string> cases[] = {  // "section id values |item |item;" for each line parsed
        {"[Checks]\n2006 1\n\0\n2012 1\n"s, "Checks 2006 1;"},
        {"1003 0 100\n   [Ranges] x\n    1003 0 100\n\t[Checks]\n 2006   1\n", "Ranges 1003 0 100;Checks 2006 1;"}, {"[Checks]\n2005 1\nabc 1\n2006 on\n2006 nan\n2006 -inf\n2006\n2006 1x\n20x6 1\n2007 0\n", "Checks 2005 1;Checks 2007 0;"},
        {"[Ranges]\r\n7 -2.5 1e3\r\n8 -1e300 1e300\r\n[Menus]\r\n9 2 2\r\nRed  \r\nGreen\r\n", "Ranges 7 -2.5 1000;Ranges 8 -2.14748e+09 2.14748e+09;Menus 9 2 2 |Red |Green;"},
        {"[Menus]\n12 3 2\n[Checks]\n2006 1\n#\n14 0 0\n[Tabs]\n13 1 0\n[Checks]\n1 1\n", "Menus 12 3 2 |[Checks] |2006 1 |#;Menus 14 0 0;Tabs 13 1 0 |[Checks];"},
    };
    for (const auto& [block, parsed] : cases) {
        std::ostringstream out;
        for (const FieldInfoLine& line : ParseFieldInfo(block)) {
            out << kNames[static_cast<int>(line.section)] << ' ' << line.id;
            for (double v : line.values) out << ' ' << v;
            for (const std::string& item : line.items) out << " |" << item;
            out << ';';
        }
        EXPECT_EQ(out.str(), parsed) << testing::PrintToString(block.substr(0, 50));
    }
    // Windows' flags: buttons 0 to 5, icons 0x10 to 0x40, defaults 0, 0x100, 0x200. Two-button sets: default 1 is
    // the first button, anything else the second; three-button sets: 1, 2, anything else the third.
    for (auto [buttons, icon, defaultButton, style] : {std::array{1, 4, 1, 0x41}, {1, 0, 0, 0x101}, {4, 0, 9, 0x203}})
        EXPECT_EQ(MessageBoxStyle(buttons, icon, defaultButton), uint32_t(style)) << buttons << ' ' << icon << ' ' << defaultButton;
}

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// Writes the n low bytes of v at offset at, little-endian, growing b as needed.
Bytes Set(Bytes b, std::size_t at, uint32_t v, std::size_t n = 4) { for (b.resize(std::max(b.size(), at + n)); n-- > 0; v >>= 8) b[at++] = uint8_t(v); return b; }

Bytes With(Bytes b, std::size_t at, std::string_view s) { return b.resize(std::max(b.size(), at + s.size())), std::ranges::copy(s, &b[at]), b; }

Bytes Text(std::string_view s) { return With({}, 0, s); }
Bytes Cut(const Bytes& b, std::size_t size) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size)); }

// A Windows bitmap as a writer lays it out: file header, info header (masks at 54), palette (0xRRGGBB), gap, pixels.
struct Bmp { uint32_t hdr = 40; int32_t w = 0, h = 0; uint32_t bits = 24, comp = 0, used = 0; std::vector<uint32_t> masks, pal; uint32_t gap = 0; Bytes px; };

Bytes BmpFile(const Bmp& m)
{
    Bytes b = Set(With(Bytes(14 + m.hdr), 0, "BM"), 46, m.used);
    for (std::size_t at = 14; uint32_t v : {m.hdr, uint32_t(m.w), uint32_t(m.h), 1 | m.bits << 16, m.comp}) b = Set(b, at, v), at += 4;
    for (std::size_t i = 0; i < m.masks.size(); ++i) b = Set(b, 54 + 4 * i, m.masks[i]);
    for (uint32_t c : m.pal) b = Set(b, b.size(), c);
    b.resize(b.size() + m.gap, 0xEE), b = Set(b, 10, uint32_t(b.size())), b.insert(b.end(), m.px.begin(), m.px.end());  // gap, then the pixels
    return Set(b, 2, uint32_t(b.size()));
}

const std::vector<uint32_t> kEga = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// A 128-byte PCX header with the EGA palette, the encoded lines and, when given, the 256-colour end palette.
struct Pcx { uint8_t version = 5, encoding = 1, bits = 8, planes = 1; int16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0; uint16_t line = 0; Bytes data; std::vector<uint32_t> end; };

Bytes PcxFile(const Pcx& p)
{
    Bytes b(128);
    auto rgb = [&b](std::size_t at, const std::vector<uint32_t>& colours) { for (uint32_t c : colours) b = Set(b, at, (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16, 3), at += 3; };
    b[0] = 10, b[1] = p.version, b[2] = p.encoding, b[3] = p.bits, b[65] = p.planes, rgb(16, kEga);
    for (std::size_t at = 4; int16_t v : {p.x0, p.y0, p.x1, p.y1}) b = Set(b, at, uint16_t(v), 2), at += 2;
    b = Set(b, 66, p.line, 2), b.insert(b.end(), p.data.begin(), p.data.end());
    if (!p.end.empty()) b.push_back(0x0C), rgb(b.size(), p.end);
    return b;
}

TEST(Pictures, RecognitionFollowsTheTableInOrder)
{
    // Info: type, width, height, colours, compressed; size: of the whole file, when not just the bytes given.
    struct Case { const char* name; Bytes file; std::array<int32_t, 5> info; uint64_t size = 0; } cases[] = {
        {"bmp rle8", BmpFile({.w = 3, .h = 2, .bits = 8, .comp = 1}), {1, 3, 2, 256, 1}},
        {"pcx window", PcxFile({.version = 3, .bits = 1, .planes = 4, .x0 = 10, .y0 = -5, .x1 = 19, .y1 = 4}), {2, 10, 10, 16, 3}},
        {"IN after 128 blanks", Text(std::string(128, ' ') + "IN;\n"), {0}}, {"dxf", Text("  0\r\nSECTION\r\n"), {14}},
        {"postscript before emf", With(Text("%!PS-Adobe-2.0\n"), 40, " EMF"), {10}},
        {"pcx header cut short", Bytes{10, 5, 1}, {2, 1, 1, 1, 5}, 5000},
    };
    auto info = [](const PictureInfo& i) { return std::array{i.type, i.width, i.height, i.colours, i.compressed}; };
    for (const Case& c : cases) EXPECT_EQ(info(RecognisePicture(c.file, c.size ? c.size : c.file.size())), c.info) << c.name;
    EXPECT_EQ((std::array{PictureFileMayBeRead(256 << 20), PictureFileMayBeRead((256 << 20) + 1), PictureFileMayBeRead(UINT64_MAX)}), (std::array{true, false, false}));
}

// A decoder's result code and picture, top row first; a failure (2 read, 27 unsupported) leaves it empty.
struct DecodeCase { const char* name; Bytes file; int32_t code, width = 0, height = 0; std::vector<uint32_t> pixels = {}; };

TEST(Pictures, Decoding)
{
    // 24 bits, 3x2: rows of 9 bytes padded to 12, bottom row first unless the height is negative.
    const Bytes rows = {0, 255, 255, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    const std::vector<uint32_t> up = {kRed, kGreen, kBlue, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    const std::vector<uint32_t> pal = {0x101010, kRed, kGreen, kBlue, kWhite, 0x808080, 0xFFFF00, 0x00FFFF}, pal6(&pal[0], &pal[6]);
    const uint32_t p0 = pal[0];
    std::vector<uint32_t> g(16);  // greys
    for (uint32_t i = 0; i < 16; ++i) g[i] = i * 0x111111;
    const Bytes base = BmpFile({.w = 2, .h = 2, .px = Bytes(16, 0x40)});  // 54 bytes of headers, two rows of 8
    const Bytes rle = BmpFile({.w = 2, .h = 2, .bits = 8, .comp = 1, .used = 1, .pal = {kRed}});
    const DecodeCase cases[] = {  // BMP
        {"24 top-down", BmpFile({.w = 3, .h = -2, .px = rows}), 0, 3, 2, {up[3], up[4], up[5], up[0], up[1], up[2]}},
        {"24 after a gap, last row unpadded", Cut(BmpFile({.w = 3, .h = 2, .gap = 5, .px = rows}), 59 + 21), 0, 3, 2, up},
        {"4 bits, six colours", BmpFile({.w = 3, .h = 2, .bits = 4, .used = 6, .pal = pal6, .px = {0x12, 0x30, 0, 0, 0x50, 0x70, 0, 0}}), 0, 3, 2, {pal[5], p0, 0, kRed, kGreen, kBlue}},
        {"16 bits 5-5-5", BmpFile({.w = 3, .h = 2, .bits = 16, .px = {0x10, 0x42, 0xFF, 0x7F, 0, 0x80, 0, 0, 0, 0x7C, 0xE0, 3, 0x1F, 0, 0, 0}}),
         0, 3, 2, {kRed, kGreen, kBlue, 0x848484, kWhite, kBlack}},
        {"32 bits, 10-bit fields", BmpFile({.w = 1, .h = 1, .bits = 32, .comp = 3, .masks = {0x3FF00000, 0x000FFC00, 0}, .px = {0, 0, 0xF8, 0x3F}}), 0, 1, 1, {0xFF8000}},
        // From the bottom: three red, end of line; absolute 3 (padded), one red, end of line; delta 2 right, blue, end.
        {"rle8", BmpFile({.w = 4, .h = 3, .bits = 8, .comp = 1, .used = 8, .pal = pal, .px = {3, 1, 0, 0, 0, 3, 2, 3, 4, 0, 1, 1, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1}}),
         0, 4, 3, {p0, p0, kBlue, p0, kGreen, kBlue, kWhite, kRed, kRed, kRed, kRed, p0}},
        {"rle4 absolute run padded, runs alternate nibbles", BmpFile({.w = 6, .h = 2, .bits = 4, .comp = 2, .pal = g, .px = {0, 5, 0x12, 0x34, 0x50, 0, 1, 0x60, 0, 0, 3, 0xAB, 0, 1}}),
         0, 6, 2, {g[10], g[11], g[10], g[0], g[0], g[0], g[1], g[2], g[3], g[4], g[5], g[6]}},
        {"not BM", With(base, 1, "A"), 27}, {"too many pixels", Set(Set(base, 18, 16384), 22, 1025), 27}, {"2 bits", Set(base, 28, 2, 2), 27},
        {"width 2^31", Set(base, 18, 0x80000000), 27}, {"height -2^31", Set(base, 22, 0x80000000), 27},
        {"rle top-down", Set(rle, 22, uint32_t(-2)), 27}, {"pixels beyond the end", Set(base, 10, 71), 2}, {"palette cut", BmpFile({.w = 1, .h = 1, .bits = 8, .px = {0, 0, 0, 0}}), 2},
        {"rle rows missing", With(rle, rle.size(), "\x02\x00\x00\x00"sv), 2}, {"rle absolute run cut", With(rle, rle.size(), "\x00\x04\x01\x02"sv), 2},
    };
    // PCX pictures.
    const std::vector<uint32_t>& h = kEga;
    const uint32_t W = kWhite;
    auto grey = [](uint32_t v) { return v * 0x010101; };
    std::vector<uint32_t> end(256, 0);
    end[0] = 0x123456, end[1] = 0x654321, end[2] = 0xABCDEF, end[7] = 0x0A0B0C, end[255] = 0xFEDCBA;
    const Bytes pcx = PcxFile({.x1 = 1, .line = 2, .data = {0x10, 0x20}});  // 2x1, 8 bits, one plane
    const DecodeCase pcxCases[] = {
        {"monochrome ignores the header palette", PcxFile({.bits = 1, .x1 = 9, .y1 = 1, .line = 2, .data = {0xA5, 0x80, 0xC1, 0xFF, 0x40}}), 0, 10, 2,
         {W, 0, W, 0, 0, W, 0, W, W, 0, W, W, W, W, W, W, W, W, 0, W}},
        {"2 bits", PcxFile({.bits = 2, .x1 = 3, .line = 2, .data = {0xC1, 0xC9, 0x00}}), 0, 4, 1, {h[3], h[0], h[2], h[1]}},
        {"256 colours", PcxFile({.x1 = 3, .y1 = 1, .line = 4, .data = {0, 1, 2, 0xC1, 0xFF, 0xC4, 7}, .end = end}), 0, 4, 2, {end[0], end[1], end[2], end[255], end[7], end[7], end[7], end[7]}},
        {"24 bits, a run across planes", PcxFile({.planes = 3, .x1 = 1, .line = 2, .data = {0xC3, 0x7F, 0x20, 1, 2}}), 0, 2, 1, {0x7F7F01, 0x7F2002}},
        {"run across lines", PcxFile({.x1 = 2, .y1 = 1, .line = 4, .data = {0xC6, 5, 9, 0}}), 0, 3, 2, {grey(5), grey(5), grey(5), grey(5), grey(5), grey(9)}},
        {"not pcx", With(pcx, 0, "\x0b"), 27}, {"uncompressed", With(pcx, 2, "\x00"sv), 27}, {"1 bit 5 planes", With(With(pcx, 3, "\x01"), 65, "\x05"), 27},
        {"line too short", Set(pcx, 66, 1, 2), 27}, {"run cut", With(Cut(pcx, 129), 129, "\xC2"), 2},
    };
    for (auto [decode, table] : {std::pair{&DecodeBmp, std::span<const DecodeCase>(cases)}, {&DecodePcx, std::span<const DecodeCase>(pcxCases)}})
        for (const DecodeCase& c : table) {
            DecodedPicture out{7, 7, std::vector<uint32_t>(49, 1)};
            EXPECT_EQ(std::tuple(decode(c.file, out), out.width, out.height, out.pixels), std::tuple(c.code, c.width, c.height, c.pixels)) << c.name;
        }
}

// One call on a fresh state (A area, U plot units, T text size), then "error;area;box ...;cell ..." in pixels of
// 1024x768: the area, a box across the middle (corners in any order) and a character cell. Y counts from the bottom.
TEST(GraphicsState, AreaUnitsStylesAndCells)
{
    const std::string_view kRefused = "44;0,0,1024,768;box 0,384,1024,384;cell 14,31";  // errors: 44 area, 16 units
    const std::tuple<char, std::array<float, 4>, std::string_view> cases[] = {
        {'A', {0.25f, 0.1f, 0.75f, 0.6f}, "0;256,307,768,691;box 256,499,768,499;cell 7,15"},
        {'A', {0.5f, 0.1f, 0.5f, 0.9f}, kRefused}, {'A', {-0.1f, 0.1f, 0.9f, 0.9f}, kRefused}, {'A', {0.1f, 0.1f, 0.9f, 1.1f}, kRefused},
        {'U', {-10, 100, 10, 200}, "0;0,0,1024,768;box 512,1532,563,1532;cell 14,31"}, {'U', {10, 2, -10, 3}, "16;0,0,1024,768;box 0,1920,1024,1920;cell 14,31"},
        {'T', {2.0f, 1.6f}, "0;0,0,1024,768;box 0,384,1024,384;cell 27,49"}, {'T', {0.5f, -1}, "0;0,0,1024,768;box 0,384,1024,384;cell 7,31"},
        // Pixels beyond GDI's range are held at 2^27: huge scales never reach a cast.
        {'U', {0, 0, 1e-30f, 1e-30f}, "0;0,0,1024,768;box 0,-134216960,134217728,-134216960;cell 14,31"},
    };
    auto list = [](std::initializer_list<int32_t> values) { std::string s; for (int32_t v : values) s += (s.empty() ? "" : ",") + std::to_string(v); return s; };
    for (const auto& [op, v, expected] : cases) {
        GraphicsState g;
        ResetErrorState(), op == 'A' ? SetArea(g, v[0], v[1], v[2], v[3]) : op == 'U' ? SetPlotUnits(g, v[0], v[1], v[2], v[3]) : SetTextSize(g, v[0], v[1]);
        const PixelRect a = AreaPixels(g, 1024, 768), b = BoxPixels(g, 0, 0.5f, 1, 0.5f, 1024, 768);
        const CharacterSize c = TextCharacterSize(g, 1024, 768);
        EXPECT_EQ(list({QErrorInfo(1)}) + ';' + list({a.left, a.top, a.right, a.bottom}) + ";box " + list({b.left, b.top, b.right, b.bottom}) + ";cell " + list({c.width, c.height}), expected);
    }
    for (auto [real, expected] : {std::pair<double, int32_t>{NAN, 0}, {-INFINITY, INT32_MIN}, {1e300, INT32_MAX},
                                  {INT32_MAX + 1.0, INT32_MAX}, {-2.99, -2}, {2147483646.99, 2147483646}})
        EXPECT_EQ(SaturatingInt32(real), expected) << real;
    GraphicsState g;
    for (auto [style, expected] : {std::pair{-3, 0}, {-2, -2}, {4, 4}, {5, 0}}) EXPECT_EQ((SetFillStyle(g, 3), SetFillStyle(g, style), g.fillStyle), expected) << style;
}

}  // namespace
