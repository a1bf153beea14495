// The linter's table of quirks: each row a script (lines joined by '^'), the
// files on its medium, every finding as LINE:COLUMN: KIND: MESSAGE, and what
// the installer's own parser makes of the same script (the settings and page
// titles it keeps, the stop it shows), so that the two cannot disagree. What
// the install pass does with the rest is shown by the scenarios
// (chdir-missing, nosource, nopicture, system).
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "driver/install_state.h"
#include "lint_script.h"
#include "script/install_plan.h"
#include "script/script_parser_core.h"

namespace {

using namespace std;

FILE* Script(string script)
{
    replace(script.begin(), script.end(), '^', '\n');
    FILE* file = tmpfile();
    fwrite(script.data(), 1, script.size(), file);
    rewind(file);
    return file;
}

// What the installer's parser keeps: background style, font, title/start/end colours, the titles of the pages
// init, direct, finish and system, and the stop message it shows, if any.
string Parsed(const string& script, const set<string>& onMedium)
{
    struct Services : ScriptServices {
        const set<string>* medium = nullptr;
        string stop;
        bool SourceFileSize(string_view path, int64_t& size) override
        {
            size = 1;
            return medium->contains(string(path));
        }
        void ShowStopMessage(string_view text, string_view) override { stop = text; }
    } services;
    services.medium = &onMedium;
    ResetInstallPlan();
    TheInstallState() = InstallState{};
    FILE* file = Script(script);
    ParseScript(file, services);
    fclose(file);
    const GeneralSettings& g = TheInstallPlan().general;
    string kept = to_string(g.backgroundStyle) + " " + to_string(g.font);
    for (const ColourTriple& c : {g.titleColour, g.startFillColour, g.endFillColour})
        kept += " " + to_string(c.red) + "," + to_string(c.green) + "," + to_string(c.blue);
    for (int page : {1, 2, 4, 5}) kept += "|" + TheInstallPlan().pages[page].title.str();
    return kept + (services.stop.empty() ? "" : " stop: " + services.stop);
}

string Lint(const string& script, const set<string>& onMedium)
{
    FILE* file = Script(script);
    LintFiles files;
    files.exists = [&](const string& p) { return onMedium.contains(p) || onMedium.contains("!" + p); };
    files.drawable = [&](const string& p) { return !onMedium.contains("!" + p); };  // '!': not drawable
    string said;
    for (const LintFinding& f : LintScript(file, files))
        said += to_string(f.line) + ":" + to_string(f.column) + ": " + (f.error ? "error" : "warning") + ": " +
                f.message + "\n";
    fclose(file);
    return said;
}

TEST(Lintlst, FindsWhatTheInstallerWouldIgnoreCutOrFailOn)
{
    const string kStops = "the installation stops here (\"Error when reading from INSTALL.LST\")";
    const struct {
        const char* script;
        set<string> medium;
        string said;
        const char* parsed = "";  // what the parser keeps, where the row says
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
         "6:1: warning: diagstart without a page name: its lines go to no page shown\n",
         "1 5 255,255,255 0,0,75 0,0,255|F|||"},
        {"generalstart^backgrnd 7^backgrnd abc^font x^font 0^colour 300 0 0^sfillcol 1 2^efillcol 0 0 128",
         {},
         "2:10: warning: 7 is outside 0 to 3: ignored, the background style stays\n"
         "3:10: warning: 'abc' is not a number: the installer takes 0\n"
         "4:6: warning: 'x' is not a number: ignored, the font stays\n"
         "5:6: warning: 0 is outside 1 to 8: ignored, the font stays\n"
         "6:8: warning: colour needs three numbers 0 to 255: ignored, the colour stays\n"
         "7:10: warning: sfillcol needs three numbers 0 to 255: ignored, the colour stays\n",
         "0 5 255,255,255 0,0,75 0,0,128||||"},
        {"generalstart^defdest D:\\APP^filestart^copy \"MY FILE.TXT^copy <defdir>.TXT^copy \"A B.TXT\"",
         {"\"MY", "<defdir>.TXT", "A B.TXT"},
         "2:9: warning: the drive D: is replaced by the first installable drive\n"
         "4:6: warning: unclosed quote: the argument runs to the next blank, quote and all\n"
         "5:6: warning: <defdir> is replaced only in associate, variable and program lines: here it stays\n"},
        {"filestart^copy GONE.EX_ GONE.EXE^mkdir DATA^chdir DATA^copy A.TXT^copy B.TXT A.TXT^chdir^copy A.TXT",
         {"DATA\\A.TXT", "DATA\\B.TXT", "A.TXT"},
         "2:6: error: copy source GONE.EX_ is not on the medium: the installer stops before the first page\n"
         "6:12: warning: copied to DATA\\A.TXT again (first at line 5): the later copy replaces it\n",
         "1 5 255,255,255 0,0,75 0,0,255|||| stop: Install file GONE.EX_ not found. Abort"},
        {"filestart^chdir NONE^mkdir A\\B^mkdir C^mkdir c\\D\\^chdir C\\D\\",
         {},
         "2:7: error: chdir NONE: no mkdir made it, " + kStops +
             "\n3:7: error: mkdir A\\B: A is not made before: " + kStops + "\n"},
        {"diagstart init^banner GONE.BMP^banner BAD.BMP^banner GOOD.BMP",
         {"!BAD.BMP", "GOOD.BMP"},
         "2:8: warning: GONE.BMP is not on the medium: the installer says it cannot find it\n"
         "3:8: warning: BAD.BMP cannot be drawn: the installer reports it and shows none\n"},
        {"filestart^associate .txt^program Demo^variable =X^variable PATH=%path%;<defdir>^associate "
         ".d|T|<defdir>\\D|^program G|<defdir>\\D|D|",
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
    for (const auto& row : rows) {
        EXPECT_EQ(Lint(row.script, row.medium), row.said) << row.script;
        if (*row.parsed) EXPECT_EQ(Parsed(row.script, row.medium), row.parsed) << row.script;
    }
}

}  // namespace
