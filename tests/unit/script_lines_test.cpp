#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/script_lines.h"

namespace {

// text padded with blanks to n characters (or cut to them).
std::string Field(std::string text, std::size_t n)
{
    text.resize(n, ' ');
    return text;
}

class ScriptLines : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheInstallState() = InstallState{};
        ResetErrorState();
    }
    void TearDown() override
    {
        TheInstallState() = InstallState{};
        ResetErrorState();
    }
};

TEST(ScriptVocabulary, KeywordTable)
{
    struct Row {
        std::string keyword, displayName, description;
        int32_t group;
    } expected[16] = {
        {"#", "#", "#", 1},
        {"defdest", "DefDest", "", 0},
        {"title", "Title", "", 0},
        {"message", "Message", "", 0},
        {"banner", "Banner", "Show Picture", 1},
        {"mkdir", "Mkdir", "Make Directory", 1},
        {"chdir", "Chdir", "Change Directory", 1},
        {"copy", "Copy", "Copy File", 1},
        {"backgrnd", "BackGrnd", "", 0},
        {"font", "Font", "", 0},
        {"colour", "Colour", "", 0},
        {"associate", "Associate", "Associate type", 2},
        {"variable", "Variable", "Set Variable", 2},
        {"program", "Program", "Menu Shortcut", 2},
        {"sfillcol", "SFillCol", "", 0},
        {"efillcol", "EFillCol", "", 0},
    };
    for (std::size_t i = 0; i < 16; ++i) {
        const KeywordRecord& r = kKeywordTable[i];
        EXPECT_EQ(r.keyword, Field(expected[i].keyword, 9)) << i;
        EXPECT_EQ(r.displayName, Field(expected[i].displayName, 10)) << i;
        EXPECT_EQ(r.description, Field(expected[i].description, 16)) << i;
        EXPECT_EQ(r.group, expected[i].group) << i;
    }
    // The install pass tests this field for the comment marker.
    EXPECT_EQ(kKeywordTable[0].keyword, "#        ");
}

TEST(ScriptVocabulary, SectionHeaderTable)
{
    ASSERT_EQ(kSectionHeaderTable.size(), 3u);
    EXPECT_EQ(kSectionHeaderTable[0].keyword, "generalstart");
    EXPECT_EQ(kSectionHeaderTable[0].displayName, "GeneralStart");
    EXPECT_EQ(kSectionHeaderTable[0].kind, 1);
    EXPECT_EQ(kSectionHeaderTable[1].keyword, "diagstart   ");
    EXPECT_EQ(kSectionHeaderTable[1].displayName, "DiagStart   ");
    EXPECT_EQ(kSectionHeaderTable[1].kind, 2);
    EXPECT_EQ(kSectionHeaderTable[2].keyword, "filestart   ");
    EXPECT_EQ(kSectionHeaderTable[2].displayName, "FileStart   ");
    EXPECT_EQ(kSectionHeaderTable[2].kind, 3);
}

TEST(ScriptVocabulary, PageNameTable)
{
    struct Row {
        std::string name, displayName, caption;
    } expected[5] = {
        {"init", "Init", "Initial"},
        {"direct", "Direct", "Directory Choice"},
        {"", "", ""},
        {"finish", "Finish", "Finish"},
        {"system", "System", "System Config"},
    };
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(kPageNameTable[i].name, Field(expected[i].name, 6)) << "page " << i + 1;
        EXPECT_EQ(kPageNameTable[i].displayName, Field(expected[i].displayName, 6)) << "page " << i + 1;
        EXPECT_EQ(kPageNameTable[i].caption, Field(expected[i].caption, 16)) << "page " << i + 1;
    }
}

TEST(ScriptVocabulary, FindKeywordNeedsTheWholeLowerCaseWord)
{
    struct Case {
        std::string word;
        int32_t number;
    } cases[] = {
        {"#", kKeywordComment},
        {"defdest", kKeywordDefdest},
        {"title", kKeywordTitle},
        {"message", kKeywordMessage},
        {"banner", kKeywordBanner},
        {"mkdir", kKeywordMkdir},
        {"chdir", kKeywordChdir},
        {"copy", kKeywordCopy},
        {"backgrnd", kKeywordBackgrnd},
        {"font", kKeywordFont},
        {"colour", kKeywordColour},
        {"associate", kKeywordAssociate},
        {"variable", kKeywordVariable},
        {"program", kKeywordProgram},
        {"sfillcol", kKeywordSfillcol},
        {"efillcol", kKeywordEfillcol},
        {"#note", kNotAKeyword},
        {"copyx", kNotAKeyword},
        {"cop", kNotAKeyword},
        {"color", kNotAKeyword},
        {"COPY", kNotAKeyword},  // lower-cased by the line preparation, not here
        {"generalstart", kNotAKeyword},
        {"", kNotAKeyword},
    };
    EXPECT_EQ(kKeywordCopy, 8);
    EXPECT_EQ(kKeywordEfillcol, 16);
    for (const Case& c : cases) EXPECT_EQ(FindKeyword(Field(c.word, 261)), c.number) << c.word;
}

TEST(ScriptLinePreparation, SplitsKeywordAndRest)
{
    struct Case {
        std::string line;
        std::string keyword;  // trimmed
        std::string rest;     // trimmed
        std::size_t restLength;
    } cases[] = {
        {"COPY  DEMO.EX_ DEMO.EXE", "copy", "DEMO.EX_ DEMO.EXE", 17},
        {"   Title   Demo Setup   ", "title", "Demo Setup", 10},
        {"message", "message", "", 0},
        {"# a note", "#", "a note", 6},
        {"#note", "#note", "", 0},
        {"title\tDemo", "title\tdemo", "", 0},  // a tab is no blank
        {"title  A\tB # C", "title", "A\tB # C", 7},
        {"DiagStart INIT", "diagstart", "INIT", 4},  // the rest keeps its case
    };
    for (const Case& c : cases) {
        ScriptLine line(c.line);
        ScriptKeyword keyword("junk");
        EXPECT_EQ(PrepareScriptLine(line, keyword), c.restLength) << c.line;
        EXPECT_EQ(keyword.view(), Field(c.keyword, 261)) << c.line;
        EXPECT_EQ(line.view(), Field(c.rest, 1024)) << c.line;
    }
}

TEST(ScriptLinePreparation, KeywordIsCutToItsField)
{
    ScriptLine line(std::string(300, 'K') + " rest");
    ScriptKeyword keyword;
    PrepareScriptLine(line, keyword);
    EXPECT_EQ(keyword.view(), std::string(261, 'k'));
    EXPECT_EQ(line.trimmed(), "rest");
}

TEST_F(ScriptLines, ClassifySectionRecognisesHeaders)
{
    struct Case {
        std::string keyword, rest;
        int32_t kindBefore, pageBefore;
        int32_t kind, page;
        bool header;  // continuation cleared and bannerPath blanked
    } cases[] = {
        {"generalstart", "", 3, 4, 1, 4, true},
        {"generalstart", "anything at all", 0, 0, 1, 0, true},
        {"filestart", "", 1, 2, 3, 2, true},
        {"diagstart", "init", 0, 0, 2, 1, true},
        {"diagstart", "INIT", 0, 0, 2, 1, true},
        {"diagstart", "Direct", 1, 0, 2, 2, true},
        {"diagstart", "", 3, 1, 2, 3, true},
        {"diagstart", "finish   ", 0, 0, 2, 4, true},
        {"diagstart", "system", 0, 5, 2, 5, true},
        {"diagstart", "intro", 3, 1, 2, 1, true},  // unknown name: the page stays
        {"diagstart", "intro", 0, 0, 2, 0, true},
        {"diagstart", "init x", 0, 2, 2, 2, true},
        {"diagstart", "initial", 0, 2, 2, 2, true},
        {"diagstart", "\tinit", 0, 2, 2, 2, true},
        // The name is cut to 261 characters before the comparison.
        {"diagstart", Field("finish", 261) + "overflow", 0, 0, 2, 4, true},
        {"diagstart", Field("finish", 260) + "x", 0, 0, 2, 0, true},
        {"title", "init", 2, 1, 2, 1, false},
        {"generalstartx", "", 0, 0, 0, 0, false},
        {"diag", "init", 0, 0, 0, 0, false},
        {"#", "generalstart", 3, 2, 3, 2, false},
    };
    for (const Case& c : cases) {
        TheInstallState().bannerPath.assign("C:\\LOGO.BMP");
        int32_t kind = c.kindBefore;
        int32_t page = c.pageBefore;
        bool continuation = true;
        ClassifySection(Field(c.keyword, 261), Field(c.rest, 1024), kind, page, continuation);
        EXPECT_EQ(kind, c.kind) << c.keyword << ' ' << c.rest;
        EXPECT_EQ(page, c.page) << c.keyword << ' ' << c.rest;
        EXPECT_EQ(continuation, !c.header) << c.keyword << ' ' << c.rest;
        EXPECT_EQ(TheInstallState().bannerPath.str(), c.header ? "" : "C:\\LOGO.BMP") << c.keyword;
    }
}

TEST(ScriptArguments, NextArgumentTakesQuotedStringsAndWords)
{
    struct Case {
        std::string rest;
        std::vector<std::string> arguments;  // successive calls, trimmed
    } cases[] = {
        {"DEMO.EX_ DEMO.EXE", {"DEMO.EX_", "DEMO.EXE", "", ""}},
        {"\"MY FILE.TX_\" MYFILE.TXT", {"MY FILE.TX_", "MYFILE.TXT", ""}},
        {"\"MY FILE.TX_ MYFILE.TXT", {"\"MY", "FILE.TX_", "MYFILE.TXT", ""}},
        {"   spaced    out  ", {"spaced", "out", ""}},
        {"\"\" B", {"", "B", ""}},
        {"\"a\"b c", {"a", "b", "c"}},
        {"a\"b c\" d", {"a\"b", "c\"", "d"}},
        {"\"one\"\"two\"", {"one", "two", ""}},
        {"\"  inner  blanks \"", {"  inner  blanks", ""}},
        {"\tTAB\tX Y", {"\tTAB\tX", "Y"}},
        {"", {"", ""}},
    };
    for (const Case& c : cases) {
        FixedText<1024> rest(c.rest);
        for (std::size_t i = 0; i < c.arguments.size(); ++i) {
            ScriptArgument argument("junk");
            NextArgument(rest, argument);
            EXPECT_EQ(argument.view(), Field(c.arguments[i], 261)) << c.rest << " argument " << i + 1;
        }
    }
}

TEST(ScriptArguments, RestAfterAQuotedArgumentMovesToTheFront)
{
    FixedText<20> rest("\"A B\" C D");
    ScriptArgument argument;
    NextArgument(rest, argument);
    EXPECT_EQ(argument.trimmed(), "A B");
    EXPECT_EQ(rest.view(), Field(" C D", 20));
}

TEST(ScriptArguments, WordLeavesItsPlaceBlankedInTheRest)
{
    FixedText<20> rest("  ONE TWO");
    ScriptArgument argument;
    NextArgument(rest, argument);
    EXPECT_EQ(argument.trimmed(), "ONE");
    EXPECT_EQ(rest.view(), Field("    TWO", 20));
}

TEST(ScriptArguments, ArgumentIsCutToItsField)
{
    struct Case {
        std::string rest, argument;
    } cases[] = {
        {"ABCDEFGH", "ABCDE"},
        {"\"AB DEFGH\"", "AB DE"},
        {"\"\"", "     "},
    };
    for (const Case& c : cases) {
        FixedText<40> rest(c.rest);
        FixedText<5> argument;
        NextArgument(rest, argument);
        EXPECT_EQ(argument.view(), c.argument) << c.rest;
    }
}

TEST_F(ScriptLines, SetSubdirectoryReplacesTheSubdirectory)
{
    struct Case {
        std::string installDir, directory, subDir, targetDir;
    } cases[] = {
        {"C:\\DEMO\\", "DATA", "DATA\\", "C:\\DEMO\\DATA\\"},
        {"C:\\DEMO\\", "DATA\\", "DATA\\", "C:\\DEMO\\DATA\\"},
        {"C:\\DEMO\\", "DATA\\SUB", "DATA\\SUB\\", "C:\\DEMO\\DATA\\SUB\\"},
        {"C:\\DEMO\\", "", "", "C:\\DEMO\\"},
        {"C:\\DEMO\\", "  ", "", "C:\\DEMO\\"},
        {"", "OTHER", "OTHER\\", "OTHER\\"},
        {"C:\\DEMO\\", " LEAD", " LEAD\\", "C:\\DEMO\\ LEAD\\"},
    };
    for (const Case& c : cases) {
        TheInstallState().installDir.assign(c.installDir);
        TheInstallState().subDir.assign("OLD\\");
        TheInstallState().targetDir.assign("C:\\OLD\\");
        SetSubdirectory(Field(c.directory, 261));
        EXPECT_EQ(TheInstallState().subDir.str(), c.subDir) << c.directory;
        EXPECT_EQ(TheInstallState().targetDir.str(), c.targetDir) << c.directory;
    }
}

TEST_F(ScriptLines, SetSubdirectoryCutsTo261Characters)
{
    TheInstallState().installDir.assign("C:\\");
    SetSubdirectory(std::string(261, 'D'));
    EXPECT_EQ(TheInstallState().subDir.str(), std::string(261, 'D'));  // no room for the backslash
    SetSubdirectory(std::string(260, 'E'));
    EXPECT_EQ(TheInstallState().subDir.str(), std::string(260, 'E') + "\\");
    EXPECT_EQ(TheInstallState().targetDir.str(), "C:\\" + std::string(260, 'E') + "\\");
}

TEST_F(ScriptLines, SplitBarFields)
{
    struct Case {
        std::string line;
        std::array<bool, 3> substitute;
        int32_t count;
        std::array<std::string, 3> fields;
    } cases[] = {
        {".dem|Demo Document|<defdir>\\DEMO.EXE|", {false, false, true}, 3,
         {".dem", "Demo Document", "C:\\DEMO\\DEMO.EXE"}},
        {"Demo|<defdir>\\DEMO.EXE|Demo Application|", {false, true, false}, 3,
         {"Demo", "C:\\DEMO\\DEMO.EXE", "Demo Application"}},
        // The last field needs its bar too.
        {"Demo|<defdir>\\DEMO.EXE|Demo Application", {false, true, false}, 3,
         {"Demo", "C:\\DEMO\\DEMO.EXE", ""}},
        {"<defdir>|<defdir>|<defdir>|", {false, false, true}, 3, {"<defdir>", "<defdir>", "C:\\DEMO"}},
        {"   a  |  b b |c|", {false, false, false}, 3, {"a", "b b", "c"}},
        {"|||", {false, false, false}, 3, {"", "", ""}},
        {"a|b|c|d|", {false, false, false}, 3, {"a", "b", "c"}},
        {"a|b|c|", {false, false, false}, 2, {"a", "b", ""}},
        {"a|b|c|", {false, false, false}, 1, {"a", "", ""}},
        {"no bars at all", {true, true, true}, 3, {"", "", ""}},
        {"", {false, false, false}, 3, {"", "", ""}},
        {"x\t|\ty|", {false, false, false}, 3, {"x\t", "\ty", ""}},
    };
    TheInstallState().installDir.assign("C:\\DEMO\\");
    for (const Case& c : cases) {
        BarFields fields{FixedText<261>("old"), FixedText<261>("old"), FixedText<261>("old")};
        SplitBarFields(Field(c.line, 1024), fields, c.substitute, c.count);
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_EQ(fields[k].view(), Field(c.fields[k], 261)) << c.line << " field " << k + 1;
    }
}

TEST_F(ScriptLines, SplitBarFieldsCutsEachField)
{
    BarFields fields;
    SplitBarFields(std::string(300, 'L') + "|short|", fields, {false, false, false}, 3);
    EXPECT_EQ(fields[0].view(), std::string(261, 'L'));
    EXPECT_EQ(fields[1].str(), "short");
}

TEST_F(ScriptLines, SubstituteDefdir)
{
    struct Case {
        std::string installDir;
        std::string text;
        std::size_t length;
        std::string result;
    } cases[] = {
        {"C:\\", "<defdir>\\DEMO.EXE", 261, "C:\\DEMO.EXE"},
        {"C:\\DEMO\\", "<DEFDIR>\\DEMO.EXE", 261, "C:\\DEMO\\DEMO.EXE"},
        {"C:\\DEMO", "<DefDir>\\DEMO.EXE", 261, "C:\\DEMO\\DEMO.EXE"},
        {"C:\\DEMO\\", "DEMOHOME=<defdir>", 1024, "DEMOHOME=C:\\DEMO"},
        {"C:\\DEMO\\", "PATH=<defdir>;<defdir>\\BIN", 1024, "PATH=C:\\DEMO;C:\\DEMO\\BIN"},
        {"C:\\DEMO\\", "no placeholder", 261, "no placeholder"},
        {"C:\\DEMO\\", "<defdir", 261, "<defdir"},
        {"C:\\DEMO\\", "<def dir>", 261, "<def dir>"},
        {"", "<defdir>\\X", 261, "\\X"},
        {"C:\\APPS\\", "A<defdir>B", 261, "AC:\\APPSB"},
        {"C:\\X\\", "<defdir><DEFDIR>", 261, "C:\\XC:\\X"},
        {"C:\\", "<defdir><defdir>\\", 261, "C:C:\\"},
        // Cut to the text's length.
        {"C:\\LONGPATH\\", "x<defdir>y", 10, "xC:\\LONGPA"},
        {"C:\\ABCDEFGHIJ\\", "<defdir><defdir>", 16, "C:\\ABCDEFGHIJ<de"},
        // A directory holding the placeholder is inserted once, not expanded again.
        {"C:\\<DEFDIR>\\", "<defdir>\\DEMO.EXE", 261, "C:\\<DEFDIR>\\DEMO.EXE"},
        {"C:\\<defdir>", "<defdir>;<defdir>", 261, "C:\\<defdir>;C:\\<defdir>"},
        {"<defdir>", "<defdir>", 8, "<defdir>"},
    };
    for (const Case& c : cases) {
        TheInstallState().installDir.assign(c.installDir);
        std::string text = Field(c.text, c.length);
        SubstituteDefdir(text);
        EXPECT_EQ(text, Field(c.result, c.length)) << c.installDir << ' ' << c.text;
    }
}

TEST_F(ScriptLines, ReadColourTakesThreeValidComponentsOrNothing)
{
    struct Case {
        std::string rest;
        std::array<int32_t, 3> colour;
    } cases[] = {
        {"10 20 30", {10, 20, 30}},
        {"  0   0   160  ", {0, 0, 160}},
        {"255 255 0", {255, 255, 0}},
        {"10 20 30 40", {10, 20, 30}},
        {"+5 6 7", {5, 6, 7}},
        {"10 20", {1, 2, 3}},
        {"10 20 300", {1, 2, 3}},
        {"255,255,0", {1, 2, 3}},
        {"-1 0 0", {1, 2, 3}},
        {"0 256 0", {1, 2, 3}},
        {"a 2 3", {1, 2, 3}},
        {"1 2 3.0", {1, 2, 3}},
        {"7 8 9x", {1, 2, 3}},
        {"2147483648 0 0", {1, 2, 3}},
        {"", {1, 2, 3}},
        {"4\t5 6", {1, 2, 3}},
    };
    for (const Case& c : cases) {
        FixedText<1024> rest(c.rest);
        int32_t red = 1, green = 2, blue = 3;
        ReadColour(rest, red, green, blue);
        EXPECT_EQ((std::array<int32_t, 3>{red, green, blue}), c.colour) << c.rest;
    }
}

TEST_F(ScriptLines, ReadColourIgnoresAnEarlierToolkitError)
{
    RaiseError(12);
    FixedText<1024> rest("40 50 60");
    int32_t red = 1, green = 2, blue = 3;
    ReadColour(rest, red, green, blue);
    EXPECT_EQ(red, 40);
    EXPECT_EQ(green, 50);
    EXPECT_EQ(blue, 60);
}

}  // namespace
