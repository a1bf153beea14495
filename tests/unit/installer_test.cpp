// The install script (line routines and parser), directory rules, field information and message boxes.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"
#include "ui/directory_rules.h"
#include "windows/field_info.h"
#include "windows/message_box.h"

namespace {

using namespace std::string_literals;

std::string Field(std::string text, std::size_t n) { return text.resize(n, ' '), text; }

class ScriptTest : public ::testing::Test {
protected:
    void TearDown() override { TheInstallState() = InstallState{}, ResetInstallPlan(), ResetErrorState(); }
};

TEST_F(ScriptTest, NextArgumentTakesQuotedStringsAndWords)
{
    const std::string w300(300, 'w');
    const std::pair<std::string, std::vector<std::string>> cases[] = {  // the rest, then successive arguments
        {"\"MY FILE.TX_\" MYFILE.TXT", {"MY FILE.TX_", "MYFILE.TXT", ""}},
        {"\"MY FILE.TX_ MYFILE.TXT", {"\"MY", "FILE.TX_", "MYFILE.TXT", ""}},
        {"a\"b c\" d", {"a\"b", "c\"", "d"}},
        {"\"  inner  blanks \"", {"  inner  blanks", ""}},
        {"\"" + w300 + "\" next", {w300.substr(0, 261), "next"}},
    };
    for (const auto& [text, arguments] : cases) {
        FixedText<1024> rest(text);
        for (const std::string& expected : arguments) {
            ScriptArgument argument("junk");
            NextArgument(rest, argument);
            EXPECT_EQ(argument.view(), Field(expected, 261)) << text;
        }
    }
}

TEST_F(ScriptTest, BarFieldsAndTheDefdirPlaceholder)
{
    TheInstallState().installDir.assign("C:\\DEMO\\");
    const std::tuple<std::string, std::array<bool, 3>, int32_t, std::array<std::string, 3>> bars[] = {
        {".dem|Demo Document|<defdir>\\DEMO.EXE|", {false, false, true}, 3, {".dem", "Demo Document", "C:\\DEMO\\DEMO.EXE"}},
        {"<defdir>|<defdir>|<defdir>|", {false, true, false}, 2, {"<defdir>", "C:\\DEMO", ""}},
        {"no bars at all", {true, true, true}, 3, {"", "", ""}},
    };
    for (const auto& [line, substitute, count, expected] : bars) {
        BarFields fields{FixedText<261>("old"), FixedText<261>("old"), FixedText<261>("old")};
        SplitBarFields(Field(line, 1024), fields, substitute, count);
        for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(fields[k].view(), Field(expected[k], 261)) << line << " field " << k + 1;
    }
    const std::tuple<std::string, std::string, std::size_t, std::string> defdirs[] = {  // directory, text, length, result
        {"C:\\", "<defdir>\\DEMO.EXE", 261, "C:\\DEMO.EXE"},
        {"C:\\DEMO", "PATH=<DefDir>;<DEFDIR>\\BIN", 1024, "PATH=C:\\DEMO;C:\\DEMO\\BIN"},
        {"C:\\ABCDEFGHIJ\\", "<defdir><defdir>", 16, "C:\\ABCDEFGHIJ<de"},
        {"C:\\<defdir>", "<defdir>;<defdir>", 261, "C:\\<defdir>;C:\\<defdir>"},  // inserted once, not expanded again
    };
    for (const auto& [dir, text, length, result] : defdirs) {
        TheInstallState().installDir.assign(dir);
        std::string line = Field(text, length);
        SubstituteDefdir(line);
        EXPECT_EQ(line, Field(result, length)) << dir << ' ' << text;
    }
}

// Copy sources hold 10 bytes unless sized here; names with MISSING do not exist.
struct FakeServices final : ScriptServices {
    std::map<std::string, int64_t, std::less<>> sizes = {{"A:\\BIG", 2147483647}, {"A:\\ONE", 60000}, {"A:\\EMPTY", 0}};
    std::string told;

    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        told += "sized=" + std::string(path) + ';';
        auto found = sizes.find(path);
        size = found == sizes.end() ? 10 : found->second;
        return path.find("MISSING") == std::string_view::npos;
    }
    void ShowStopMessage(std::string_view text, std::string_view caption) override
    {
        told += "box=" + std::string(text) + '|' + std::string(caption) + ';';
    }
};

// Parses from a fresh plan on first drive E:, with a byte total and a picture path left from before, and lists
// every outcome that differs from the defaults.
std::string Parse(std::FILE* file)
{
    InstallState& state = TheInstallState();
    InstallPlan& plan = TheInstallPlan();
    state = InstallState{};
    ResetInstallPlan();
    ResetErrorState();
    state.sourceDir.assign("A:\\"), state.installableDrives[0].assign("E:"), state.bannerPath.assign("OLD.BMP");
    state.bytesDone = 77;
    FakeServices services;
    std::string out = ParseScript(file, services) ? "" : "FAILED;";
    std::fclose(file);
    EXPECT_FLOAT_EQ(state.progressScale, static_cast<float>(state.bytesDone / 65535.0));
    auto add = [&out](bool changed, const std::string& name, const std::string& value) {
        if (changed) out += name + '=' + value + ';';
    };
    auto rgb = [&add](const char* name, const ColourTriple& c, const ColourTriple& initial) {
        add(!(c == initial), name, std::to_string(c.red) + ',' + std::to_string(c.green) + ',' + std::to_string(c.blue));
    };
    const GeneralSettings& g = plan.general;
    add(!state.generalTitle.blank(), "title", state.generalTitle.str());
    add(!g.message.blank(), "message", g.message.str());
    add(g.backgroundStyle != 1, "backgrnd", std::to_string(g.backgroundStyle));
    add(g.font != 5, "font", std::to_string(g.font));
    rgb("colour", g.titleColour, {255, 255, 255});
    rgb("sfillcol", g.startFillColour, {0, 0, 75});
    rgb("efillcol", g.endFillColour, {0, 0, 255});
    add(!state.installDir.blank(), "defdest", state.installDir.str());
    for (std::size_t n = 0; n <= 5; ++n) {  // slot 0 is no page: nothing may land there
        const std::string p = 'p' + std::to_string(n) + '.';
        add(!plan.pages[n].title.blank(), p + "title", plan.pages[n].title.str());
        add(!plan.pages[n].message.blank(), p + "message", plan.pages[n].message.str());
        add(plan.pages[n].hasPicture, p + "banner", plan.pages[n].picture.str());
    }
    add(state.bytesDone != 0, "bytes", std::to_string(state.bytesDone));
    add(!state.subDir.blank(), "subdir", state.subDir.str());
    add(!state.targetDir.blank(), "target", state.targetDir.str());
    add(!state.bannerPath.blank(), "bannerPath", state.bannerPath.str());
    return out + services.told;
}

std::FILE* ScriptFile(const std::string& bytes)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    return file;
}

TEST_F(ScriptTest, ParserLines)
{
    auto k = [](char c) { return std::string(1000, c); };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // Lines before the first header, comments, words that are no keywords, letter case.
        {{"title Before", "message M", "defdest X", "copy A.EX_", "banner B.BMP"}, "bannerPath=OLD.BMP;"},
        {{"generalstart", "title A # B", "# title C", "    # title D", "#title E", "titles F", "titl G", "title\tH"}, "title=A # B;"},
        {{"GENERALSTART", "TITLE Upper", "DiagStart INIT", "Title Mixed", "FileStart", "COPY ONE"}, "title=Upper;p1.title=Mixed;bytes=60000;sized=A:\\ONE;"},
        // Keywords outside their sections, and page sections before a page is named.
        {{"filestart", "title T", "message M", "defdest X", "font 2", "colour 1 2 3", "banner B.BMP", "mkdir SUB", "diagstart init",
          "defdest X", "backgrnd 2", "sfillcol 1 2 3", "copy A.EX_", "chdir SUB", "generalstart", "banner B.BMP", "copy A.EX_", "chdir SUB"}, ""},
        {{"diagstart intro", "title T", "banner B.BMP", "diagstart init x", "diagstart finish" + std::string(254, ' ') + "x", "title T"}, ""},
        {{"diagstart finish" + std::string(255, ' ') + "overflow", "title T"}, "p4.title=T;"},
        // Message lines join with CR LF within a section, directly across sections.
        {{"diagstart init", "message A", "diagstart intro", "message B"}, "p1.message=AB;"},
        {{"diagstart finish", "title Done", "generalstart", "message G1", "filestart", "diagstart finish", "message F1", "generalstart",
          "message G2", "message G3", "diagstart finish", "message F2"}, "message=G1G2\r\nG3;p4.title=Done;p4.message=F1F2;"},
        {{"diagstart direct", "message", "message    indented   ", "message", "title T", "message  x  y  # z"}, "p2.title=T;p2.message=\r\nindented\r\n\r\nx  y  # z;"},
        {{"diagstart system", "message " + k('a'), "message " + k('b'), "message " + k('c'), "message " + k('d'), "message " + k('e')},
         "p5.message=" + k('a') + "\r\n" + k('b') + "\r\n" + k('c') + "\r\n" + k('d') + "\r\n" + std::string(88, 'e') + ';'},
        {{"generalstart", "title " + std::string(300, 'G'), "diagstart init", "title " + std::string(261, 'P') + "Q"},
         "title=" + std::string(261, 'G') + ";p1.title=" + std::string(261, 'P') + ';'},
        {{"diagstart finish", "banner \"MY LOGO.PCX\"", "diagstart system", "banner", "diagstart direct", "banner LOGO.BMP extra"},
         "p2.banner=LOGO.BMP;p4.banner=MY LOGO.PCX;p5.banner=;"},
        // Numbers and colours; an earlier conversion error does not spoil a colour.
        {{"generalstart", "backgrnd 3", "backgrnd 4", "backgrnd -1", "font 8", "font 9", "font 0", "font", "font 7.5"}, "backgrnd=3;font=8;"},
        {{"generalstart", "font x", "colour 10 20 30 40", "sfillcol 0 0 0", "efillcol +4 5 255"}, "colour=10,20,30;sfillcol=0,0,0;efillcol=4,5,255;"},
        {{"generalstart", "colour 10 20", "colour 0 0 256", "colour 255,255,0", "colour -1 0 0", "colour 1 2 3.0", "colour 2147483648 0 0",
          "colour 4\t5 6", "sfillcol 1 2 -3", "efillcol", "color 0 0 0"}, ""},
        // The proposed directory lies on the first installable drive.
        {{"generalstart", "defdest D:\\APPS"}, "defdest=E:\\APPS;"},
        {{"generalstart", "defdest \"\\Program Files\\My App\" x"}, "defdest=E:\\Program Files\\My App;"},
        {{"generalstart", "defdest " + std::string(300, 'L')}, "defdest=E:\\" + std::string(258, 'L') + ';'},
        // Copy sources, their sizes in a 32-bit total, and subdirectories.
        {{"filestart", "copy DEMO.EX_ DEMO.EXE", "copy \"MY FILE.TX_ MYFILE.TXT", "copy", "copy \"\" TARGET", "copy <defdir>\\X"},
         "bytes=30;sized=A:\\DEMO.EX_;sized=A:\\\"MY;sized=A:\\<defdir>\\X;"},
        {{"filestart", "copy ONE", "copy EMPTY", "copy ONE", "copy BIG"}, "bytes=2147603647;sized=A:\\ONE;sized=A:\\EMPTY;sized=A:\\ONE;sized=A:\\BIG;"},
        {{"generalstart", "defdest DEMO\\", "filestart", "chdir DATA\\SUB"}, "defdest=E:\\DEMO\\;subdir=DATA\\SUB\\;target=E:\\DEMO\\DATA\\SUB\\;"},
        {{"filestart", "chdir " + std::string(250, 'S'), "copy SOURCE.EX_"},
         "bytes=10;subdir=" + std::string(250, 'S') + "\\;target=" + std::string(250, 'S') + "\\;sized=A:\\" + std::string(250, 'S') + "\\SOURCE.;"},
        {{"generalstart", "title Before", "filestart", "copy DEMO.EX_", "chdir DATA", "copy MISSING.DA_ MISSING.DAT", "copy DEMO.EX_", "generalstart",
          "title After"}, "FAILED;title=Before;bytes=10;subdir=DATA\\;target=DATA\\;sized=A:\\DEMO.EX_;sized=A:\\DATA\\MISSING.DA_;"
                          "box=Install file A:\\DATA\\MISSING.DA_ not found. Abort|File Not Found;"},
    };
    for (const auto& [lines, outcome] : cases) {
        std::string script;
        for (const std::string& line : lines) script += line + "\r\n";
        EXPECT_EQ(Parse(ScriptFile(script)), outcome) << lines[1].substr(0, 40);
    }
}

TEST_F(ScriptTest, ParserLineEndsAndTheEndOfTheScript)
{
    const std::string x1016(1016, 'x');  // with "message " a whole 1024-character line
    const std::pair<std::string, std::string> cases[] = {
        {"\x1a\r\ngeneralstart\r\ntitle Never\r\n", "bannerPath=OLD.BMP;"},
        {"generalstart\r\ntitle First\r\n\x1atitle Second\r\ntitle Third\r\n", "title=First;"},
        {"generalstart\ntitle A\x1a" "B\rC\r\r\nmessage M\nmessage N\r", "title=A\x1a" "B\rC\r;message=M\r\nN;"},
        {"generalstart\r\nmessage " + x1016 + "Y\r\nmessage next", "message=" + x1016 + "\r\nnext;"},
    };
    for (const auto& [script, outcome] : cases) EXPECT_EQ(Parse(ScriptFile(script)), outcome) << script.substr(0, 40);
    EXPECT_EQ(Parse(std::fopen("/dev/null", "w")), "FAILED;bannerPath=OLD.BMP;box=Error when reading from install script|Abort;");  // unreadable
}

TEST(DirectoryRules, NamesMessageAndBrowseStart)
{
    for (const char* name : {"C:\\Program Files\\App", "  C:\\DEMO  ", "DEMO", "\\\\server\\share"})
        EXPECT_TRUE(IsAcceptableDirectoryName(name)) << name;
    for (const char* name : {"", "  ", "C:\\a*b", "C:\\a:b", "C:\\a?b", "C:\\a\"b", "C:\\a<b", "C:\\a>b", "C:\\a|b", "C:/D", ":\\D", "CC:\\D"})
        EXPECT_FALSE(IsAcceptableDirectoryName(name)) << name;
    EXPECT_EQ(kBadDirectoryNameMessage, "A directory name cannot contain any of the following characters:\r\t/ : * ? \" < > |");
    const std::tuple<std::string, std::set<std::string>, std::string, std::vector<std::string>> cases[] = {  // existing, start, tested
        {"C:\\A\\B\\", {"C:\\A"}, "C:\\A", {"C:\\A\\B\\", "C:\\A"}},
        {"D:\\x\\y", {}, "D:", {"D:\\x\\y", "D:\\x"}},  // the drive itself is not tested
        {"C:\\", {"C:\\"}, "C:\\", {"C:\\"}},
        {"DEMO", {}, "DE", {"DEMO", "DEM"}},  // no backslash: one character at a time
    };
    for (const auto& [proposed, existing, start, tested] : cases) {
        FixedText<261> buffer(proposed);
        std::vector<std::string> asked;
        CutToExistingAncestor(buffer, [&asked, &known = existing](std::string_view path) { return known.count(asked.emplace_back(TrimmedText(path))) > 0; });
        EXPECT_EQ(std::pair(buffer.str(), asked), std::pair(start, tested)) << proposed;
    }
}

TEST(FieldInfo, ParsingRules)
{
    static constexpr const char* kNames[] = {"Ranges", "Menus", "Checks", "Tabs", "Grids", "Colours", "Trackbars", "Lengths"};
    const std::pair<std::string, std::string> cases[] = {  // "section id values |item |item;" for each line parsed
        {"[Ranges]\n1003 0 100\n[Menus]\n[Checks]\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n[Lengths]\n\0"s, "Ranges 1003 0 100;"},
        {"[Checks]\n2006 1\n\0\n2012 1\n"s, "Checks 2006 1;"},
        {"1003 0 100\n   [Ranges] x\n    1003 0 100\n\t[Checks]\n 2006   1\n", "Ranges 1003 0 100;Checks 2006 1;"},
        {"[Ranges]\r\n7 -2.5 1e3\r\n[Menus]\r\n9 2 2\r\nRed  \r\nGreen\r\n", "Ranges 7 -2.5 1000;Menus 9 2 2 |Red |Green;"},
        {"[Colours]\n300 255 0 0 0 0 128\n[Trackbars]\n301 10 1 5 20 40\n[Lengths]\n302 64\n", "Colours 300 255 0 0 0 0 128;Trackbars 301 10 1 5 20 40;Lengths 302 64;"},
        {"[Checks]\n2005 1\nabc 1\n2006 on\n2006\n2006 1x\n20x6 1\n2007 0\n", "Checks 2005 1;Checks 2007 0;"},
        {"[Menus]\n12 3 2\n[Checks]\n2006 1\n#\n14 0 0\n[Tabs]\n13 1 0\n[Checks]\n1 1\n", "Menus 12 3 2 |[Checks] |2006 1 |#;Menus 14 0 0;Tabs 13 1 0 |[Checks];"},
        {"[Menus]\n11 2 1\n" + std::string(1030, 'x') + "\n" + std::string(1000, 'z') + std::string(40, ' ') + "\n",
         "Menus 11 2 1 |" + std::string(1024, 'x') + " |" + std::string(1000, 'z') + ";"},
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
}

TEST(MessageBox, StyleAndAnswer)
{
    // Windows' flags: buttons 0 to 5, icons 0x10 to 0x40, defaults 0, 0x100, 0x200. Two-button sets: default 1 is
    // the first button, anything else the second; three-button sets: 1, 2, anything else the third.
    for (auto [buttons, icon, defaultButton, style] : {std::array{0, 1, 1, 0x10}, std::array{1, 4, 1, 0x41}, std::array{1, 0, 0, 0x101},
                                                      std::array{2, 3, 2, 0x135}, std::array{3, -1, 3, 0x104}, std::array{4, 2, 2, 0x123},
                                                      std::array{4, 0, 9, 0x203}, std::array{5, 16, 0, 0x202}, std::array{5, 3, 1, 0x32}})
        EXPECT_EQ(MessageBoxStyle(buttons, icon, defaultButton), uint32_t(style)) << buttons << ' ' << icon << ' ' << defaultButton;
    // IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7; 0 when no box could be shown.
    std::vector<int32_t> answers;
    for (int id = -1; id <= 8; ++id) answers.push_back(MessageBoxAnswer(id));
    EXPECT_EQ(answers, (std::vector<int32_t>{-1, -1, 1, 0, 2, 1, 0, 1, 2, -1}));
}

}  // namespace
