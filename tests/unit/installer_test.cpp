// The installer's portable code: the install script (line routines and parser), the install pass against a
// medium and a disk kept in memory, the log's lines, text scanning, directory rules, background bands, page
// pictures, and every message text of the installer and the toolkit.
#include <regex>
#include <set>

#include "driver/install_log_core.h"
#include "driver/install_pass_core.h"
#include "driver/install_state.h"
#include "driver/messages.h"
#include "errors/errors.h"
#include "pages/picture_placement.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"
#include "system/text_scan.h"
#include "ui/band_colours.h"
#include "ui/directory_rules.h"
#include "unit_test.h"

namespace {

using namespace std;

// The toolkit's message of every code that has one (the rest leave a 64-wide field blank) and every text of the
// installer, as written.
TEST(Messages, EveryText)
{
    string all;
    for (int32_t code = 0; code <= 1041; ++code) {
        string field(64, '#');
        ErrorMessage(code, field);
        if (field != string(64, ' ')) all += to_string(code) + ' ' + S(TrimmedText(field)) + '|';
    }
    EXPECT_EQ(
        all,
        "1 Error opening file or device|2 Error reading/writing file or device|3 Error closing file or device|4 Number "
        "too large in string to numeric conversion|5 Graphics not supported on requested printer|10 No substring "
        "found|11 More than one decimal point in number|12 Invalid character detected|13 Operating system command "
        "error in an OS routine|16 X or Y graphics unit range is invalid|18 Numeric to string conversion error|20 "
        "Circle/ellipse radius <=0, height ratio<=0 or arc angle=0|21 Length of axis-parallel side of a parallelogram "
        "is =<0|22 Width/height=0 for a rectangle/triangle/parallelogram|23 No program name specified to QOsExecute|24 "
        "Too many data values specified for a cumulative plot|25 Too many bytes in char set during conversion from "
        "ASCII|27 Incompatible or unsupported image file in QGrLoadImage|28 Borders cross in QGrPolygonSimple - unable "
        "to fill polygon|34 Requested page size too large for raster image buffer|42 Unknown colour name/number "
        "specified to QGrColour/QGrColourN|43 Contour heights must increase monotonically|44 Invalid X and/or Y range "
        "in QGrArea/QGrViewport/QGrReplayArea|46 No graphics hardcopy driver currently selected|49 Fill too complex in "
        "QGrPolygonComplex|51 A search box contains too many points in QPgXYZToGrid|53 Cannot find substitute software "
        "font in QGrCharOut|54 Mismatched driver/device in hardcopy options file|55 Source and target file names same "
        "in copy command|58 Min value greater than max value in QPgHighLow|63 Windows printer not available|64 Bit "
        "image transfer failed in QGrPrintImage|1001 Invalid menu item|1002 Unable to load menu from resource|1003 "
        "Invalid window handle|1004 General error in common dialog|1005 No dialogs currently loaded|1006 Invalid field "
        "identifier|1007 Unable to load dialog from resource|1008 Unable to select specified dialog|1009 Attempt to "
        "store an out of range dialog field value|1010 Field value undefined|1011 Option number out of range|1012 "
        "Invalid tab number specified|1013 Invalid range specified for progress bar|1014 Invalid dialog mode "
        "requested|1015 Invalid bitmap/icon identifier|1016 Unable to display window/dialog. Root window hidden|1017 "
        "Cell co-ordinates out of range|1018 Too many rows for grid field to hold|1019 Invalid target drawing "
        "surface|1020 Bitmap creation failed|1021 Invalid bitmap handle|1022 Only child windows can be converted into "
        "editors or viewers|1023 Variable too small to receive text|1024 Invalid editor mode requested|1025 Editor "
        "can't have menu in InsideRoot child window|1026 User menu not supported with modal editor|1027 General "
        "problem initializing editor|1028 Current window is not a text editor|1029 Invalid range specified for "
        "trackbar|1030 General help viewer error|1031 Not a valid help file extension|1032 Editor does not have a "
        "command line|1033 Editor can't have command line in InsideRoot child window|1034 External process timed out "
        "before completion|1035 Failed to enable OpenGL graphics|1036 Can't destroy bitmap while in use by bitmap "
        "viewer|1037 Specified bitmap is already in use|1038 Child window is already converted to a different "
        "type|1039 Invalid bitmap viewer mode requested|1040 General problem initializing bitmap viewer|");
    EXPECT_EQ(
        Join(kInstallerTexts, "|"),
        "Aborting Installation|Abort Installation|Installation Error|File Copy Error|File Not Found|Abort|No "
        "installable drives found.|Installation Aborted|INSTALL.LST not found|Error when reading from "
        "INSTALL.LST|Unable to open a log file|Installation interrupted, would you like\rto abort?|Abort "
        "Installation?|Installation aborted|Cancel Pressed|Install file @ not found. Abort|Error installing @\r to "
        "@Disk full.\rFree some space & re-run installation.|Unexpected error installing @\rPossible INSTALL.LST error "
        "or faulty media|Cannot find file @ to display|Load Error|install script not found|Error when reading from "
        "install script|Directory name must be absolute and specify a drive letter.|Invalid Directory|Directory name "
        "too long| |A directory name cannot contain any of the following characters:\r\t/ : * ? \" < > ||Rename|The "
        "directory already exists. Would you\rlike to overwrite the contents?|Overwrite Directory?|The specified "
        "directory does not exist\rDo you wish to create it?|Create Directory?|Write error|File I/O Error|Error "
        "opening a temporary file|Error reading Start Menu script|Cannot find the system AUTOEXEC.BAT|Error opening "
        "temporary variable file|Read file error|File Error|Error writing to @\\AUTOEXEC.BAT|Error running Start Menu "
        "script|Error running registry edit script|Error writing Environment Variables to the registry|Install log "
        "generated by Marrowfield installer at ??:?? on ?? ??? ????.|Created directory:|Copied file:|** Error When "
        "Copying|** Error: Unfinished installation|@ to: @|# Install program finished. @ copy error(s)|** Skipped, "
        "fields missing: @ @|Modified Start Menu      - Added Shortcuts|Modified Registry        - Added Environment "
        "Variables|Modified Registry        - Added File Associations|Modified @\\AUTOEXEC.BAT - Added Environment "
        "Variables");
}

TEST(Script, DefdirPlaceholder)
{
    // A blank directory: the text around it joins into a placeholder, replaced too.
    using R = array<string, 3>;  // directory, text, result (fields of the text's length)
    for (auto [dir, text, result] : Table(R{"C:\\<defdir>", "<defdir>;<defdir>      ", "C:\\<defdir>;C:\\<defdir>"},
                                          R{"", "<DE<defdir>fdir>x", "x                "})) {
        TheInstallState().installDir.assign(dir);
        SubstituteDefdir(text);
        EXPECT_EQ(text, result) << dir;
    }
}

// A medium on S:\ and a disk D:\ kept in memory, for the parser and the pass; FULL is larger than the free space. The
// trace notes what a user or the disk would see, each step closed by ";"; a message box as "?" with its buttons, icon
// and default button.
struct Machine final : ScriptServices, PassServices {
    set<string, less<>> dirs{"D:"};
    map<string, int64_t, less<>> files{{"S:\\B", 50}, {"S:\\ONE", 60000}, {"S:\\BIG", 2147483647}};
    // Events per poll, up to '|': C cancel, R redraw, O other (as PassEvent orders them). Answers are 2 (No, Abort)
    // once none is left, so a copy that keeps failing ends the pass instead of being retried without end.
    string events, answers, trace;

    static string Dir(string_view p) { return S(p.substr(0, p.size() - p.ends_with('\\'))); }
    static char Take(string& q, char none) { return q.empty() ? none : exchange(q, q.substr(1))[0]; }

    bool SourceFileSize(string_view p, int64_t& n) override { return SourceSize(p, n) || files.contains(p); }
    void ShowStopMessage(string_view text, string_view caption) override { Ask(0, 1, 1, text, caption); }
    PassEvent NextEvent() override { return PassEvent(string_view("|CRO").find(Take(events, '|'))); }
    int32_t Ask(int32_t buttons, int32_t icon, int32_t defaultButton, string_view text, string_view caption) override
    {
        trace += '?' + Join(array{buttons, icon, defaultButton}, "") + ' ' + S(caption) + ": " + S(text) + ';';
        return Take(answers, '2') - '0';
    }
    void PaintBackground() override {}
    void ShowBanner() override { trace += "banner " + TheInstallState().bannerPath.str() + ';'; }
    bool DirectoryExists(string_view p) override { return dirs.contains(Dir(p)); }
    bool FileExists(string_view p) override { return files.contains(p); }
    bool MakeDirectory(string_view p) override { return dirs.insert(Dir(p)).second; }
    int32_t CopyExpanded(string_view s, string_view d) override
    {
        files[S(d)] = 0;
        return files.contains(s) ? 0 : 4;
    }
    string ExpandedName(string_view p) override { return S(p); }
    bool SourceSize(string_view p, int64_t& n) override { return (n = files.contains(p) ? files.at(S(p)) : 0) > 0; }
    bool SourceExceedsFreeSpace(string_view p) override { return p.ends_with("FULL"); }
    void SetProgress(int32_t position) override { trace += "bar " + to_string(position) + ';'; }
    void ShowProgressTexts(string_view, string_view) override {}
    bool Collect(int32_t, span<char>) override { return true; }
    void Log(int32_t code, string_view text) override { trace += "log" + to_string(code) + ' ' + S(text) + ';'; }
};

// The script's lines, each ended by CR LF unless they hold a CR.
FILE* Script(string& lines)
{
    if (lines.find('\r') == lines.npos) lines = regex_replace(lines + '\n', regex("\n"), "\r\n");
    return fmemopen(lines.data(), lines.size(), "r");
}

// Parses from a fresh plan on first drive E:, with a byte total and a picture path left from before; then every
// outcome that differs from the defaults, and the trace.
string Parse(FILE* file)
{
    InstallState& state = TheInstallState() = {
        .sourceDir = {"S:\\"}, .bannerPath = {"OLD.BMP"}, .bytesDone = 77, .installableDrives = {FixedText<2>("E:")}};
    ResetInstallPlan();
    ResetErrorState();
    Machine m;
    string out = ParseScript(file, m) ? "" : "FAILED;";
    fclose(file);
    auto note = [&out](const string& name, const string& value, const string& initial = "") {
        if (value != initial) out += name + '=' + value + ';';
    };
    const auto& [g, pages] = TheInstallPlan();
    note("title", state.generalTitle.str());
    note("message", g.message.str());
    note("font", to_string(g.font), "5");
    note("colour", Join(array{g.titleColour.red, g.titleColour.green, g.titleColour.blue}), "255,255,255");
    note("defdest", state.installDir.str());
    note("bytes", to_string(state.bytesDone) + " scale " + to_string(state.progressScale), "0 scale 0.000000");
    note("subdir", state.subDir.str());
    note("bannerPath", state.bannerPath.str());
    for (size_t n = 0; n < pages.size(); ++n) {  // slot 0 is no page: nothing lands there
        note('p' + to_string(n) + ".title", pages[n].title.str());
        note('p' + to_string(n) + ".message", pages[n].message.str());
        note('p' + to_string(n) + ".banner", pages[n].hasPicture ? pages[n].picture.str() : "none", "none");
    }
    return out + m.trace;
}

TEST(Script, Parser)
{
    auto n = [](size_t count, char c) { return string(count, c); };
    auto m = [&n](char c) { return "\nmessage " + n(1000, c); };
    using R = pair<string, string>;  // the script's lines; the outcome
    for (auto [lines, outcome] : Table(
             // Comments, words that are no keywords, letter case.
             R{"generalstart\ntitle A # B\n# title C\ntitles F\ntitl G", "title=A # B;"},
             R{"GENERALSTART\nTITLE Upper\nDiagStart INIT\nTitle Mixed", "title=Upper;p1.title=Mixed;"},
             // Page sections before a page is named, and page names cut to their field.
             R{"diagstart intro\ntitle T", ""},
             R{"diagstart finish" + n(255, ' ') + "overflow\ntitle T", "p4.title=T;"},
             // Message lines join with CR LF within a section (across sections: scenario pages).
             R{"diagstart system" + m('a') + m('b') + m('c') + m('d') + m('e'),
               "p5.message=" + n(1000, 'a') + "\r\n" + n(1000, 'b') + "\r\n" + n(1000, 'c') + "\r\n" + n(1000, 'd') +
                   "\r\n" + n(88, 'e') + ';'},
             // Numbers and colours; an earlier conversion error does not spoil a colour.
             R{"generalstart\nfont x\ncolour 10 20 30", "colour=10,20,30;"}, R{"generalstart\ncolour 0 0 256", ""},
             // Copy sources' sizes in a 64-bit total (a missing one ends the parse: scenario nosource).
             R{"filestart\ncopy BIG\ncopy ONE", "bytes=2147543647 scale 32769.414062;"},
             // Line ends as they come (a CR alone is no line end).
             R{"generalstart\ntitle A\032B\rC\r\r\nmessage M\nmessage N\r", "title=A\032B\rC\r;message=M\r\nN;"},
             // A whole 1024-character line.
             R{"generalstart\r\nmessage " + n(1016, 'x') + "Y\r\nmessage next",
               "message=" + n(1016, 'x') + "\r\nnext;"}))
        EXPECT_EQ(Parse(Script(lines)), outcome) << testing::PrintToString(lines);
}

TEST(Script, InstallPassCarriesOutTheFileSections)
{
    // chdir to a missing directory, Retry, Ignore and Abort after a failed copy: scenarios copy-errors, chdir-missing.
    const string banner = "banner S:\\SUB\\P.BMP;",
                 cancel = "?322 Abort Installation?: Installation interrupted, would you like\rto abort?;";
    // The script, the events and answers; whether the pass ends well, the copy errors and the trace. Copies, commands
    // outside file sections and the end-of-file mark: scenarios install, corrupt. A full disk; Cancel answered No goes
    // on, the next Cancel answered Yes ends the pass, redraws show the banner again.
    using R = tuple<string, string, string, bool, int32_t, string>;
    for (auto [script, events, answers, ok, copyErrors, trace] :
         Table(R("filestart\ncopy FULL X\ncopy B", "", "", false, 1,
                 "?011 File Copy Error: Error installing S:\\FULL\r to D:\\XDisk full.\rFree some space & re-run "
                 "installation.;"),
               R("filestart\nbanner SUB\\P.BMP\nmkdir X\ncopy B", "||RCO|C|", "21", false, 0,
                 banner + banner + cancel + "log1 D:\\X;" + cancel + "?011 Cancel Pressed: Installation aborted;"))) {
        InstallState& state = TheInstallState() = {
            .sourceDir = {"S:\\"}, .installDir = {"D:\\"}, .targetDir = {"D:\\"}, .progressScale = 10000 / 65535.0f};
        Machine machine;
        machine.events = events;
        machine.answers = answers;
        FILE* file = Script(script);
        EXPECT_EQ(tuple(RunInstallPass(file, machine), machine.trace, state.copyErrors), tuple(ok, trace, copyErrors))
            << testing::PrintToString(script);
        fclose(file);
    }
    EXPECT_EQ(ProgressPosition(1, 0), 0);  // nothing counted
}

TEST(InstallLog, LinesAndTokens)
{
    EXPECT_EQ(LogHeaderText(8, 9, 1999, 2, 3) + LogSummaryLine(12),
              "Install log generated by Marrowfield installer at 08:09 on 03 Feb 1999.# Install program finished. 12 "
              "copy error(s)");
    char text[] = "a\r\n\nb", empty[] = "", delimiters[] = "\n\n";
    auto token = [](char* from) {
        const char* t = NextToken(from, "\n");
        return t ? string(t) : "(none)";
    };
    EXPECT_EQ((array{token(text), token(nullptr), token(nullptr), token(empty), token(delimiters)}),
              (array<string, 5>{"a\r", "b", "(none)", "(none)", "(none)"}));
}

TEST(Pages, DirectoryNamesBandsAndPicturePlacement)
{
    // Paths hold 255 characters.
    EXPECT_EQ((array{IsAcceptableDirectoryName("  C:\\DEMO  "), IsAcceptableDirectoryName("C:\\a|b"),
                     IsAcceptableDirectoryName(":\\D"), IsDirectoryNameTooLong(" C:\\" + string(253, 'D'))}),
              (array{true, false, false, true}));
    // A band's colour component rounds, in single precision; no bands: the start colour; beyond the int32 range:
    // held at its ends. The colours of whole bands: scenarios background-default, pages.
    EXPECT_EQ((array{BandComponent(0, 255, 2, 1), BandComponent(10, 20, 4, 3), BandComponent(40, 255, 0, 3),
                     BandComponent(INT32_MIN, INT32_MAX, 2, 1), BandComponent(0, INT32_MAX, 1, 2),
                     BandComponent(0, INT32_MIN, 1, 2)}),
              (array{128, 18, 40, 0, INT32_MAX, INT32_MIN}));
    // On a 640x480 screen: as wide as the screen and tall, centred; -2^31 from a file (a negative height: top-down).
    for (auto [w, h, area] :
         {tuple(640, 400, "0,0.0833333,1,0.916667"), tuple(INT32_MIN, INT32_MIN, "0.125,0,0.875,1")}) {
        const PictureArea a = PagePictureArea(w, h, 640, 480);
        EXPECT_EQ(Join(array{a.x1, a.y1, a.x2, a.y2}), area) << w << 'x' << h;
    }
}

}  // namespace
