// The linter's table of quirks: each row a script (lines joined by '^'), the
// files on its medium, and every finding as LINE:COLUMN: KIND: MESSAGE. The
// behaviour each message names is the installer's, shown by its scenarios
// (chdir-missing, nosource, nopicture, system) and unit tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "lint_script.h"

namespace {

std::string Lint(std::string script, const std::set<std::string>& onMedium)
{
    std::replace(script.begin(), script.end(), '^', '\n');
    std::FILE* file = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), file);
    std::rewind(file);
    LintFiles files;
    files.exists = [&](const std::string& p) { return onMedium.contains(p) || onMedium.contains("!" + p); };
    files.drawable = [&](const std::string& p) { return !onMedium.contains("!" + p); };  // '!': not drawable
    std::string said;
    for (const LintFinding& f : LintScript(file, files))
        said += std::to_string(f.line) + ":" + std::to_string(f.column) + ": " + (f.error ? "error" : "warning") +
                ": " + f.message + "\n";
    std::fclose(file);
    return said;
}

TEST(Lintlst, FindsWhatTheInstallerWouldIgnoreCutOrFailOn)
{
    const std::string kStops = "the installation stops here (\"Error when reading from INSTALL.LST\")";
    const struct {
        const char* script;
        std::set<std::string> medium;
        std::string said;
    } rows[] = {
        {"# comment^#no blank^generalstart^title Demo^filestart^copy A.TXT", {"A.TXT"}, ""},
        {"title Early^generalstart^  titel Demo^copy A.TXT^diagstart init^defdest \\X^filestart^title T^message M",
         {"A.TXT"},
         "1:1: warning: 'title' in no section: the line is ignored\n"
         "3:3: warning: unknown keyword 'titel': the line is ignored\n"
         "4:1: warning: 'copy' in the general section: the line is ignored\n"
         "6:1: warning: 'defdest' in a page section: the line is ignored\n"
         "8:1: warning: 'title' in a file section: the line is ignored\n"
         "9:1: warning: 'message' in a file section: the line is ignored\n"},
        {"diagstart welcome^title W^diagstart init^diagstart finish page^title F^diagstart",
         {},
         "1:11: warning: unknown page 'welcome': the lines up to the next section are ignored\n"
         "2:1: warning: 'title' before a known page: the line is ignored\n"
         "4:11: warning: unknown page 'finish page': the lines go on to the page before\n"
         "6:1: warning: diagstart without a page name: its lines go to no page shown\n"},
        {"generalstart^backgrnd 7^backgrnd abc^font x^font 0^colour 300 0 0^sfillcol 1 2^efillcol 0 0 255",
         {},
         "2:10: warning: 7 is outside 0 to 3: ignored, the background style stays\n"
         "3:10: warning: 'abc' is not a number: the installer takes 0\n"
         "4:6: warning: 'x' is not a number: ignored, the font stays\n"
         "5:6: warning: 0 is outside 1 to 8: ignored, the font stays\n"
         "6:8: warning: colour needs three numbers 0 to 255: ignored, the colour stays\n"
         "7:10: warning: sfillcol needs three numbers 0 to 255: ignored, the colour stays\n"},
        {"generalstart^defdest D:\\APP^filestart^copy \"MY FILE.TXT^copy <defdir>.TXT^copy \"A B.TXT\"",
         {"\"MY", "<defdir>.TXT", "A B.TXT"},
         "2:9: warning: the drive D: is replaced by the first installable drive\n"
         "4:6: warning: unclosed quote: the argument runs to the next blank, quote and all\n"
         "5:6: warning: <defdir> is replaced only in associate, variable and program lines: here it stays\n"},
        {"filestart^copy GONE.EX_ GONE.EXE^mkdir DATA^chdir DATA^copy A.TXT^copy B.TXT A.TXT^chdir^copy A.TXT",
         {"DATA\\A.TXT", "DATA\\B.TXT", "A.TXT"},
         "2:6: error: copy source GONE.EX_ is not on the medium: the installer stops before the first page\n"
         "6:12: warning: copied to DATA\\A.TXT again (first at line 5): the later copy replaces it\n"},
        {"filestart^chdir NONE^mkdir A\\B^mkdir C^mkdir C\\D\\^chdir C\\D",
         {},
         "2:7: error: chdir NONE: no mkdir made it, " + kStops +
             "\n3:7: error: mkdir A\\B: A is not made before: " + kStops + "\n"},
        {"diagstart init^banner GONE.BMP^banner BAD.BMP^banner GOOD.BMP",
         {"!BAD.BMP", "GOOD.BMP"},
         "2:8: warning: GONE.BMP is not on the medium: the installer says it cannot find it\n"
         "3:8: warning: BAD.BMP cannot be drawn: the installer reports it and shows none\n"},
        {"filestart^associate .txt^program Demo^variable =X^variable PATH=%path%;<defdir>^associate .d|T|<defdir>\\D|",
         {},
         "2:1: warning: associate without its fields: skipped, the log says \"** Skipped, fields missing: associate "
         ".txt\"\n"
         "3:1: warning: program without its fields: skipped, the log says \"** Skipped, fields missing: program "
         "Demo\"\n"
         "4:1: warning: variable without its fields: skipped, the log says \"** Skipped, fields missing: variable "
         "=X\"\n"
         "5:10: warning: PATH refers to itself: the installer adds to the value it has on the machine\n"},
        {"filestart^copy A.TXT^\x1a^copy GONE.TXT", {"A.TXT"}, ""},
    };
    for (const auto& row : rows) EXPECT_EQ(Lint(row.script, row.medium), row.said) << row.script;
    // A line longer than the installer reads, and a name longer than it keeps.
    const std::string longName(300, 'N');
    EXPECT_EQ(Lint("filestart^copy " + longName + std::string(800, ' ') + "X", {longName}),
              "2:1: warning: the line is 1106 characters long: the installer reads the first 1024\n"
              "2:6: warning: the name is 300 characters long: the installer keeps 261\n"
              "2:6: error: copy source " +
                  longName.substr(0, 261) + " is not on the medium: the installer stops before the first page\n");
}

}  // namespace
