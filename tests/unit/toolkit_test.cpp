// The toolkit's portable code: text fields, error messages, configuration, command line, field information,
// message boxes, picture recognition and decoding, and the graphics state.
#include "errors/errors.h"
#include "graphics/graphics_state.h"
#include "graphics/picture_format.h"
#include "startup/config.h"
#include "unit_test.h"
#include "utilities/command_line.h"
#include "utilities/path_text.h"
#include "utilities/saturate.h"
#include "utilities/text.h"
#include "windows/field_info.h"
#include "windows/message_box.h"
#include "windows/root_window.h"

namespace {

using namespace std;

// op: U upper, L lower, J justify by arg, W first word into an arg-wide field ("word|rest"), I to integer, F from
// integer text by format arg into a field as wide as the result, C command-line words; P path joined with arg, B
// without brackets, D drive letter, R root length, M directories to make; Q report line, X abnormal exit with code
// arg; S saturated to int32, Y fill style set over 3; K whether hexadecimal keyboard layouts compose.
string Apply(char op, string text, const string& arg, size_t width)
{
    string field(op == 'W' ? stoul(arg) : width, '#');
    int32_t value = 12345;
    GraphicsState g{.fillStyle = 3};
    QErrorInfo(1);
    switch (op) {
    case 'U': QStrUpper(text); return text;
    case 'L': QStrLower(text); return text;
    case 'J': QStrJustify(text, arg); return text;
    case 'W': QStrFirstWord(text, field); return field + '|' + text;
    case 'I': QStrToInt(text, value); return to_string(value);
    case 'F': QStrFromInt(stoi(text), field, arg); return field;
    case 'C': return Join(CommandLineWords(text), "|");
    case 'P': return JoinPath(text, arg);
    case 'B': return WithoutBrackets(text);
    case 'D': return string(1, DriveLetterOf(text));
    case 'R': return to_string(RootLength(text));
    case 'M': return Join(DirectoriesOnPath(text), "|");
    case 'Q': return ReportLine(stoi(text));
    case 'X': return AbnormalExitText(text, stoi(arg));
    case 'S': return to_string(SaturatingInt32(stod(text)));
    case 'K': {
        istringstream in(text);
        return to_string(ComposesThroughInputMethod(vector(istream_iterator<uint32_t>(in >> hex), {})));
    }
    default: SetFillStyle(g, stoi(text)); return to_string(g.fillStyle);
    }
}

struct TextCase {
    char op;
    string text, result, arg = "";
    int32_t error = 0;
};

TEST(Text, OperationsPathsNumbersAndMessages)
{
    // Command-line words end at a blank or a tab, or at a closing quote; (I101): a hundred kept.
    using C = TextCase;
    for (const auto& [op, text, result, arg, error] : Table(
             C{'U', "az{\xe4", "AZ{\xe4"}, C{'L', "AZ@[\xc4", "az@[\xc4"},
             C{'W', "title\0Demo x\0"s, "title\0Demo |           x\0"s, "11"}, C{'J', "AB     ", "  AB   ", "l"},
             C{'I', "2147483648", "0", "", 4}, C{'I', "     ", "0", "", 10}, C{'F', "0", "   ", "(I3.0)"},
             C{'F', "12", " 12", " ( i3 ) "}, C{'F', "123", "****", "(I2.2)", 18},
             C{'F', "5", string(120, ' '), "(I101)"}, C{'C', "p \"\" x\ty", "p||x|y"},
             C{'C', "p \"unclosed quote", "p|unclosed quote"}, C{'P', "C:", "C:DOS", "DOS"}, C{'B', "[-c-]", "-c-"},
             C{'D', "c:\\x", "C"}, C{'R', "\\\\srv\\share\\dir", "12"},
             C{'M', "\\\\srv\\sh\\D", "\\\\srv|\\\\srv\\sh|\\\\srv\\sh\\D"},
             C{'Q', "1007", "Error=1007:Unable to load dialog from resource" + string(27, ' ')},
             C{'X', "boom   ", "Abnormal exit (code ****) :boom", "-1234"},
             C{'X', string(5000, 'm'), "Abnormal exit (code 1) :" + string(4096, 'm'), "1"}, C{'S', "nan", "0"},
             C{'Y', "-3", "0"}, C{'Y', "-2", "-2"}, C{'Y', "4", "4"}, C{'Y', "5", "0"}, C{'K', "4090409 F0020409", "0"},
             C{'K', "4090409 E0010409", "1"}, C{'K', "8040804", "1"}, C{'K', "4110411", "1"}, C{'K', "4120412", "1"}))
        EXPECT_EQ((pair{Apply(op, text, arg, result.size()), QErrorInfo(1)}), pair(result, error))
            << op << testing::PrintToString(text);
}

// Applies the ini lines and finishes the configuration; then the debug mode, the printer and plotter drivers, the
// file names (initialisation, plotter, character set and its directory) and whether the version was asked for.
string Settings(const string& lines, ToolkitConfig c = {})
{
    istringstream in(lines);
    for (string line; getline(in, line);) ApplyIniLine(c, line);
    FinishConfig(c);
    return Join(array{to_string(c.errorReportingMode), to_string(c.printerDriver), to_string(c.plotterDriver),
                      c.initFileName.str(), c.plotterFile.str(), c.charsetFile.str(), c.charsetDir.str(),
                      to_string(c.versionRequested)},
                "|");
}

TEST(Config, IniLinesEnvironmentAndFile)
{
    // Tabs count as blanks; wrong values change nothing; a line is cut at 170 characters.
    EXPECT_EQ(
        Settings("  \tdebug =\t4\nDEBUG = 5\nDEBUG = -1\nDEBUG 4\nDEBUG =\ncharset=x.chr\nPRINTER = 37\nPLOTTER = "
                 "14\n" +
                 string(150, ' ') + "PLNAME = " + string(40, 'x')),
        "4|37|14|marrow.ini|xxxxxxxxxxx|x.chr||0");
    ToolkitConfig config;  // the environment, then the file
    ApplyEnvironment(config, "other.ini", "D:\\CHR", "2abc");
    ApplyEnvironment(config, "   ", nullptr, "9");
    ApplyEnvironment(config, nullptr, nullptr, "x4");
    const string path = (filesystem::temp_directory_path() / "marrow_config_test.ini").string();
    ofstream(path, ios::binary) << "; note\r\nPRINTER = 3\r\n" << string(300, 'x') << "\nPLOTTER=4\n\nver=1";
    ReadIniFile(config, path.c_str());
    EXPECT_EQ(Settings("", config), "2|3|4|other.ini|quorvant.plt|standard.chr|D:\\CHR\\|1");
    filesystem::remove(path);
}

TEST(Dialogs, FieldInformationAndMessageBoxes)
{
    static constexpr const char* kNames[] = {"Ranges", "Menus", "Checks", "Tabs", "Grids", "Colours", "Trackbars"};
    using R = pair<string, string>;  // "section id values |item |item;" for each line parsed
    for (const auto& [block, parsed] :
         Table(R{"1003 0 100\n [Ranges] x\n 1003 0 100\n\t[Checks]\n 2006   1\n\0\n2012 1\n"s,
                 "Ranges 1003 0 100;Checks 2006 1;"},
               R{"[Checks]\n2006 nan\n2006 -inf\n2006 1x\n20x6 1\n2007 0\n", "Checks 2007 0;"},
               R{"[Ranges]\r\n7 -2.5 1e3\r\n[Menus]\r\n9 2 2\r\nRed  \r\nGreen\r\n",
                 "Ranges 7 -2.5 1000;Menus 9 2 2 |Red |Green;"},
               R{"[Menus]\n12 3 2\n[Checks]\n2006 1\n#\n[Tabs]\n13 1 0\n[Checks]\n",
                 "Menus 12 3 2 |[Checks] |2006 1 |#;Tabs 13 1 0 |[Checks];"})) {
        ostringstream out;
        for (const FieldInfoLine& line : ParseFieldInfo(block)) {
            out << kNames[int(line.section)] << ' ' << line.id << ' ' << Join(line.values, " ");
            for (const string& item : line.items) out << " |" << item;
            out << ';';
        }
        EXPECT_EQ(out.str(), parsed) << testing::PrintToString(block);
    }
    // Windows' flags: buttons 0 to 5, icons 0x10 to 0x40, defaults 0, 0x100, 0x200. Two-button sets: default 1 is
    // the first button, anything else the second; three-button sets: 1, 2, anything else the third.
    for (auto [buttons, icon, defaultButton, style] : {array{1, 4, 1, 0x41}, {1, 0, 0, 0x101}, {4, 0, 9, 0x203}})
        EXPECT_EQ(MessageBoxStyle(buttons, icon, defaultButton), uint32_t(style)) << buttons << icon << defaultButton;
}

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

// b with s written at offset at, grown as needed.
Bytes With(Bytes b, size_t at, string_view s)
{
    b.resize(max(b.size(), at + s.size()));
    ranges::copy(s, b.begin() + ptrdiff_t(at));
    return b;
}

// b with the n low bytes of v at offset at, little-endian (as the host keeps them).
Bytes Set(Bytes b, size_t at, uint32_t v, size_t n = 4) { return With(b, at, {(char*)&v, n}); }

Bytes Cut(const Bytes& b, size_t size) { return Bytes(b.begin(), b.begin() + ptrdiff_t(size)); }

// A Windows bitmap as a writer lays it out: file header, 40-byte info header, the words after it (a palette,
// 0xRRGGBB, or bit-field masks), pixels.
Bytes BmpFile(int32_t w, int32_t h, uint32_t bits, uint32_t comp, uint32_t used, vector<uint32_t> words, Bytes px)
{
    words.insert(words.begin(), {40, uint32_t(w), uint32_t(h), 1 | bits << 16, comp, 0, 0, 0, used, 0});
    Bytes b = With(Bytes(14), 0, "BM");
    for (uint32_t v : words) b = Set(b, b.size(), v);
    b = Set(b, 10, uint32_t(b.size()));
    b.insert(b.end(), px.begin(), px.end());
    return Set(b, 2, uint32_t(b.size()));
}

// The first colours of the EGA palette, all the tests read of a header's.
const vector<uint32_t> kEga = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA};

// b with the colours (0xRRGGBB) from offset at, red first.
Bytes Rgb(Bytes b, size_t at, const vector<uint32_t>& colours)
{
    for (uint32_t c : colours) b = Set(b, exchange(at, at + 3), (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16, 3);
    return b;
}

// A 128-byte PCX header with the EGA palette, the encoded lines and, when given, the 256-colour end palette.
Bytes PcxFile(uint8_t bits, uint8_t planes, int16_t x1, int16_t y1, uint16_t line, Bytes data,
              const vector<uint32_t>& end = {})
{
    Bytes b = Set(Set(Set(Bytes(128), 0, 10 | 5 << 8 | 1 << 16 | bits << 24), 8, uint16_t(x1), 2), 10, uint16_t(y1), 2);
    b = Rgb(Set(b, 65, planes | line << 8, 3), 16, kEga);
    b.insert(b.end(), data.begin(), data.end());
    return end.empty() ? b : Rgb(With(b, b.size(), "\x0C"), b.size() + 1, end);
}

// Info: type, width, height, colours, compressed; size: of the whole file, when not just the bytes given. "IN" after
// 128 blanks is past the first line read; PostScript comes before a metafile's " EMF"; a cut PCX header reads 0.
TEST(Pictures, RecognitionFollowsTheTableInOrder)
{
    using R = tuple<Bytes, array<int32_t, 5>, uint64_t>;
    for (const auto& [file, info, size] :
         Table(R{BmpFile(3, 2, 8, 1, 0, {}, {}), {1, 3, 2, 256, 1}, 0},
               R{With({}, 0, string(128, ' ') + "IN;\n"), {0}, 0}, R{With({}, 0, "  0\r\nSECTION\r\n"), {14}, 0},
               R{With(With({}, 0, "%!PS-Adobe-2.0\n"), 40, " EMF"), {10}, 0},
               R{Bytes{10, 5, 1}, {2, 1, 1, 1, 5}, 5000})) {
        const PictureInfo i = RecognisePicture(file, size ? size : file.size());
        EXPECT_EQ((array{i.type, i.width, i.height, i.colours, i.compressed}), info);
    }
    EXPECT_EQ(pair(PictureFileMayBeRead(256 << 20), PictureFileMayBeRead((256 << 20) + 1)), pair(true, false));
}

// A decoder's result code and picture, top row first (the decoder by the first byte); a failure (2 read, 27
// unsupported) leaves it empty.
tuple<int32_t, int32_t, int32_t, vector<uint32_t>> Decoded(const Bytes& file)
{
    DecodedPicture out{7, 7, vector<uint32_t>(49, 1)};
    const int32_t code = (file[0] == 'B' ? DecodeBmp : DecodePcx)(file, out);
    return {code, out.width, out.height, out.pixels};
}

TEST(Pictures, Decoding)
{
    // 24 bits, 3x2, top-down: rows of 9 bytes padded to 12, after a gap; the last row's padding is missing.
    const Bytes rows = {0, 255, 255, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    const vector<uint32_t> pal = {0x101010, kRed, kGreen, kBlue, kWhite, 0x808080, 0xFFFF00, 0x00FFFF};
    const uint32_t p0 = pal[0], W = kWhite;
    vector<uint32_t> g(16), end(256);  // greys; a PCX end palette
    for (uint32_t i = 0; i < 256; ++i) end[i] = (255 - i) << 16 | i;
    for (uint32_t i = 0; i < 16; ++i) g[i] = i * 0x111111;
    // rle8 from the bottom: three red, end of line; absolute 3 (padded), one red, end of line; delta 2 right, blue,
    // end. rle4: an absolute run is padded, runs alternate nibbles. A monochrome PCX ignores its header palette; a
    // 24-bit one's run crosses its planes.
    using D = tuple<Bytes, int32_t, int32_t, vector<uint32_t>>;  // file, width, height, pixels
    for (const auto& [file, width, height, pixels] :
         Table(D(Cut(BmpFile(3, -2, 24, 0, 0, {~0u, ~0u}, rows), 62 + 21), 3, 2,
                 {0xFFFF00, 0x00FFFF, 0xFF00FF, kRed, kGreen, kBlue}),
               D(BmpFile(3, 2, 4, 0, 6, pal, {0x12, 0x30, 0, 0, 0x50, 0x70, 0, 0}), 3, 2,
                 {pal[5], p0, 0, kRed, kGreen, kBlue}),
               D(BmpFile(3, 2, 16, 0, 0, {}, {0x10, 0x42, 0xFF, 0x7F, 0, 0x80, 0, 0, 0, 0x7C, 0xE0, 3, 0x1F, 0, 0, 0}),
                 3, 2, {kRed, kGreen, kBlue, 0x848484, kWhite, kBlack}),
               D(BmpFile(1, 1, 32, 3, 0, {0x3FF00000, 0x000FFC00, 0}, {0, 0, 0xF8, 0x3F}), 1, 1, {0xFF8000}),
               D(BmpFile(4, 3, 8, 1, 8, pal, {3, 1, 0, 0, 0, 3, 2, 3, 4, 0, 1, 1, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1}), 4, 3,
                 {p0, p0, kBlue, p0, kGreen, kBlue, kWhite, kRed, kRed, kRed, kRed, p0}),
               D(BmpFile(6, 2, 4, 2, 0, g, {0, 5, 0x12, 0x34, 0x50, 0, 1, 0x60, 0, 0, 3, 0xAB, 0, 1}), 6, 2,
                 {g[10], g[11], g[10], g[0], g[0], g[0], g[1], g[2], g[3], g[4], g[5], g[6]}),
               D(PcxFile(1, 1, 7, 0, 1, {0xA5}), 8, 1, {W, 0, W, 0, 0, W, 0, W}),
               D(PcxFile(2, 1, 3, 0, 2, {0xC1, 0xC9, 0x00}), 4, 1, {kEga[3], kEga[0], kEga[2], kEga[1]}),
               D(PcxFile(8, 1, 3, 1, 4, {0, 1, 2, 0xC1, 0xFF, 0xC4, 7}, end), 4, 2,
                 {end[0], end[1], end[2], end[255], end[7], end[7], end[7], end[7]}),
               D(PcxFile(8, 3, 1, 0, 2, {0xC3, 0x7F, 0x20, 1, 2}), 2, 1, {0x7F7F01, 0x7F2002})))
        EXPECT_EQ(Decoded(file), tuple(0, width, height, pixels));
    // Refused: not BM, too many pixels, 2 bits, width 2^31, height -2^31, rle top-down; not PCX, uncompressed, 1 bit in
    // 5 planes, lines too short. Cut short: pixels beyond the end, rle rows missing, an rle absolute run or a PCX run.
    const Bytes base = BmpFile(2, 2, 24, 0, 0, {}, Bytes(16, 0x40));  // 54 bytes of headers, two rows of 8
    const Bytes rle = BmpFile(2, 2, 8, 1, 1, {kRed}, {}), pcx = PcxFile(8, 1, 1, 0, 2, {0x10, 0x20});  // pcx: 2x1
    using F = pair<Bytes, int32_t>;
    for (const auto& [file, code] : Table(
             F{With(base, 1, "A"), 27}, F{Set(Set(base, 18, 16384), 22, 1025), 27}, F{Set(base, 28, 2, 2), 27},
             F{Set(base, 18, 0x80000000), 27}, F{Set(base, 22, 0x80000000), 27}, F{Set(rle, 22, uint32_t(-2)), 27},
             F{With(pcx, 0, "\x0b"), 27}, F{With(pcx, 2, "\x00"sv), 27}, F{With(With(pcx, 3, "\x01"), 65, "\x05"), 27},
             F{Set(pcx, 66, 1, 2), 27}, F{Set(base, 10, 71), 2}, F{With(rle, rle.size(), "\x02\x00\x00\x00"sv), 2},
             F{With(rle, rle.size(), "\x00\x04\x01\x02"sv), 2}, F{With(Cut(pcx, 129), 129, "\xC2"), 2}))
        EXPECT_EQ(Decoded(file), tuple(code, 0, 0, vector<uint32_t>()));
}

// One call on a fresh state (A area, U plot units, T text size), then "error;area;box;cell" in pixels of
// 1024x768: the area, a box across the middle (corners in any order) and a character cell. Y counts from the bottom.
TEST(GraphicsState, AreaUnitsAndCells)
{
    const string kRefused = "44;0,0,1024,768;0,384,1024,384;14,31";  // errors: 44 area, 16 units
    using R = tuple<char, array<float, 4>, string>;
    for (const auto& [op, v, expected] :
         Table(R{'A', {0.25f, 0.1f, 0.75f, 0.6f}, "0;256,307,768,691;256,499,768,499;7,15"},
               R{'A', {0.5f, 0.1f, 0.5f, 0.9f}, kRefused}, R{'A', {-0.1f, 0.1f, 0.9f, 0.9f}, kRefused},
               R{'A', {0.1f, 0.1f, 0.9f, 1.1f}, kRefused},
               R{'U', {-10, 100, 10, 200}, "0;0,0,1024,768;512,1532,563,1532;14,31"},
               R{'U', {10, 2, -10, 3}, "16;0,0,1024,768;0,1920,1024,1920;14,31"},
               R{'T', {0.5f, -1}, "0;0,0,1024,768;0,384,1024,384;7,31"},
               // Pixels beyond GDI's range are held at 2^27: huge scales never reach a cast.
               R{'U', {0, 0, 1e-30f, 1e-30f}, "0;0,0,1024,768;0,-134216960,134217728,-134216960;14,31"})) {
        GraphicsState g;
        ResetErrorState();
        if (op == 'A') SetArea(g, v[0], v[1], v[2], v[3]);
        if (op == 'U') SetPlotUnits(g, v[0], v[1], v[2], v[3]);
        if (op == 'T') SetTextSize(g, v[0], v[1]);
        const PixelRect a = AreaPixels(g, 1024, 768), b = BoxPixels(g, 0, 0.5f, 1, 0.5f, 1024, 768);
        const CharacterSize c = TextCharacterSize(g, 1024, 768);
        ostringstream out;
        out << QErrorInfo(1) << ';' << Join(array{a.left, a.top, a.right, a.bottom}) << ";"
            << Join(array{b.left, b.top, b.right, b.bottom}) << ";" << c.width << ',' << c.height;
        EXPECT_EQ(out.str(), expected) << op << v[0];
    }
}

}  // namespace
