#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/install_state.h"
#include "script/script_lines.h"

// The line routines the install pass calls with what the parser cannot show:
// every argument of a line, vertical-bar fields and the <defdir> placeholder.
// The rest of the line rules are tested through the parser.
namespace {

std::string Field(std::string text, std::size_t n)
{
    text.resize(n, ' ');
    return text;
}

class ScriptLines : public ::testing::Test {
protected:
    void TearDown() override { TheInstallState() = InstallState{}; }
};

TEST_F(ScriptLines, NextArgumentTakesQuotedStringsAndWords)
{
    const std::string w300(300, 'w');
    struct Case {
        std::string rest;
        std::vector<std::string> arguments;  // successive calls
    } cases[] = {
        {"DEMO.EX_ DEMO.EXE", {"DEMO.EX_", "DEMO.EXE", ""}},
        {"\"MY FILE.TX_\" MYFILE.TXT", {"MY FILE.TX_", "MYFILE.TXT", ""}},
        {"\"MY FILE.TX_ MYFILE.TXT", {"\"MY", "FILE.TX_", "MYFILE.TXT", ""}},
        {"   spaced    out  ", {"spaced", "out", ""}},
        {"\"\" B", {"", "B", ""}},
        {"\"a\"b c", {"a", "b", "c"}},
        {"a\"b c\" d", {"a\"b", "c\"", "d"}},
        {"\"one\"\"two\"", {"one", "two", ""}},
        {"\"  inner  blanks \"", {"  inner  blanks", ""}},
        {"\tTAB\tX Y", {"\tTAB\tX", "Y"}},
        {w300 + " next", {w300.substr(0, 261), "next"}},
        {"\"" + w300 + "\" next", {w300.substr(0, 261), "next"}},
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
        {"Demo|<defdir>\\DEMO.EXE|Demo Application", {false, true, false}, 3, {"Demo", "C:\\DEMO\\DEMO.EXE", ""}},
        {"<defdir>|<defdir>|<defdir>|", {false, false, true}, 3, {"<defdir>", "<defdir>", "C:\\DEMO"}},
        {"   a  |  b b |||", {false, false, false}, 3, {"a", "b b", ""}},
        {"a|b|c|d|", {false, false, false}, 3, {"a", "b", "c"}},
        {"a|b|c|", {false, false, false}, 2, {"a", "b", ""}},
        {"no bars at all", {true, true, true}, 3, {"", "", ""}},
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

TEST_F(ScriptLines, SubstituteDefdir)
{
    struct Case {
        std::string installDir, text;
        std::size_t length;
        std::string result;
    } cases[] = {
        {"C:\\", "<defdir>\\DEMO.EXE", 261, "C:\\DEMO.EXE"},
        {"C:\\DEMO\\", "<DEFDIR>\\DEMO.EXE", 261, "C:\\DEMO\\DEMO.EXE"},
        {"C:\\DEMO", "<DefDir>\\DEMO.EXE", 261, "C:\\DEMO\\DEMO.EXE"},
        {"C:\\DEMO\\", "PATH=<defdir>;<defdir>\\BIN", 1024, "PATH=C:\\DEMO;C:\\DEMO\\BIN"},
        {"C:\\X\\", "<defdir><DEFDIR>", 261, "C:\\XC:\\X"},
        {"C:\\DEMO\\", "<defdir <def dir>", 261, "<defdir <def dir>"},
        {"", "A<defdir>\\X", 261, "A\\X"},
        {"C:\\LONGPATH\\", "x<defdir>y", 10, "xC:\\LONGPA"},
        {"C:\\ABCDEFGHIJ\\", "<defdir><defdir>", 16, "C:\\ABCDEFGHIJ<de"},
        // An installation directory holding the placeholder is inserted once
        // and not expanded again: the replacement must come to an end.
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

}  // namespace
