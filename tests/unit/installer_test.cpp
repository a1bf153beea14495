// The installer's portable code: the install script (line routines and parser), the install pass against a
// medium and a disk kept in memory, the log's lines, text scanning, directory rules, background bands and page
// pictures.
#include <cstdio>
#include <regex>
#include <set>

#include "driver/install_log_core.h"
#include "driver/install_pass_core.h"
#include "driver/install_state.h"
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

TEST(Script, DefdirPlaceholder)
{
    // A blank directory: the text around it joins into a placeholder, replaced too.
    using R = std::array<std::string, 3>;  // directory, text, result (fields of the text's length)
    for (auto [dir, text, result] : Table(R{"C:\\<defdir>", "<defdir>;<defdir>      ", "C:\\<defdir>;C:\\<defdir>"},
                                          R{"", "<DE<defdir>fdir>x", "x                "})) {
        TheInstallState().installDir.assign(dir);
        SubstituteDefdir(text);
        EXPECT_EQ(text, result) << dir;
    }
}

// Copy sources hold 10 bytes unless sized here; names with MISSING do not exist.
struct FakeServices final : ScriptServices {
    std::map<std::string, int64_t, std::less<>> sizes = {{"A:\\BIG", 2147483647}, {"A:\\ONE", 60000}, {"A:\\EMPTY", 0}};
    std::string told;
    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        told += "sized=" + S(path) + ';';
        size = sizes.try_emplace(S(path), 10).first->second;
        return path.find("MISSING") == path.npos;
    }
    void ShowStopMessage(std::string_view text, std::string_view caption) override
    {
        told += "box=" + S(text) + '|' + S(caption) + ';';
    }
};

// Parses from a fresh plan on first drive E:, with a byte total and a picture path left from before; then every
// outcome that differs from the defaults, and what the parser asked and told.
std::string Parse(std::FILE* file)
{
    InstallState& state = TheInstallState() = {
        .sourceDir = {"A:\\"}, .bannerPath = {"OLD.BMP"}, .bytesDone = 77, .installableDrives = {FixedText<2>("E:")}};
    ResetInstallPlan();
    ResetErrorState();
    FakeServices services;
    std::string out = ParseScript(file, services) ? "" : "FAILED;";
    std::fclose(file);
    const GeneralSettings& g = TheInstallPlan().general;
    auto rgb = [](const ColourTriple& c) { return Join(std::array{c.red, c.green, c.blue}); };
    using A = std::array<std::string, 3>;  // name, value, default
    std::vector<A> items =
        Table(A{"title", state.generalTitle.str(), ""}, A{"message", g.message.str(), ""},
              A{"backgrnd", std::to_string(g.backgroundStyle), "1"}, A{"font", std::to_string(g.font), "5"},
              A{"colour", rgb(g.titleColour), "255,255,255"}, A{"sfillcol", rgb(g.startFillColour), "0,0,75"},
              A{"efillcol", rgb(g.endFillColour), "0,0,255"}, A{"defdest", state.installDir.str(), ""},
              A{"bytes", std::to_string(state.bytesDone) + " scale " + std::to_string(state.progressScale),
                "0 scale 0.000000"},
              A{"subdir", state.subDir.str(), ""}, A{"target", state.targetDir.str(), ""},
              A{"bannerPath", state.bannerPath.str(), ""});
    for (std::size_t n = 0; const PageText& page : TheInstallPlan().pages) {  // slot 0 is no page: nothing lands there
        const std::string p = 'p' + std::to_string(n++) + '.';
        items.insert(items.end(), {{p + "title", page.title.str(), ""},
                                   {p + "message", page.message.str(), ""},
                                   {p + "banner", page.hasPicture ? page.picture.str() : "none", "none"}});
    }
    for (const auto& [name, value, initial] : items)
        if (value != initial) out += name + '=' + value + ';';
    return out + services.told;
}

TEST(Script, Parser)
{
    auto n = [](std::size_t count, char c) { return std::string(count, c); };
    auto m = [&n](char c) { return "\nmessage " + n(1000, c); };
    // The script's lines, each ended by CR LF unless the row holds a CR; the outcome.
    using R = std::pair<std::string, std::string>;
    for (const auto& [lines, outcome] : Table(
             // Comments, words that are no keywords, letter case.
             R{"generalstart\ntitle A # B\n# title C\n    # title D\n#title E\ntitles F\ntitl G\ntitle\tH",
               "title=A # B;"},
             R{"GENERALSTART\nTITLE Upper\nDiagStart INIT\nTitle Mixed\nBanner P.BMP\nFileStart\nCOPY ONE",
               "title=Upper;bytes=60000 scale 0.915541;p1.title=Mixed;p1.banner=P.BMP;sized=A:\\ONE;"},
             // Page sections before a page is named, and page names cut to their field.
             R{"diagstart intro\ntitle T\nbanner B.BMP\ndiagstart init x\ndiagstart finish" + n(254, ' ') +
                   "x\ntitle T",
               ""},
             R{"diagstart finish" + n(255, ' ') + "overflow\ntitle T", "p4.title=T;"},
             // Message lines join with CR LF within a section, directly across sections.
             R{"diagstart init\nmessage A\ndiagstart intro\nmessage B", "p1.message=AB;"},
             R{"diagstart system" + m('a') + m('b') + m('c') + m('d') + m('e'),
               "p5.message=" + n(1000, 'a') + "\r\n" + n(1000, 'b') + "\r\n" + n(1000, 'c') + "\r\n" + n(1000, 'd') +
                   "\r\n" + n(88, 'e') + ';'},
             // Numbers and colours; an earlier conversion error does not spoil a colour.
             R{"generalstart\nfont x\nbackgrnd 3\nbackgrnd 4\ncolour 10 20 30 40\nsfillcol 0 0 0\nefillcol +4 5 255",
               "backgrnd=3;colour=10,20,30;sfillcol=0,0,0;efillcol=4,5,255;"},
             R{"generalstart\ncolour 10 20\ncolour 0 0 256\ncolour 255,255,0\ncolour -1 0 0\ncolour 1 2 3.0\n"
               "colour 2147483648 0 0\ncolour 4\t5 6\nsfillcol 1 2 -3\nefillcol\ncolor 0 0 0",
               ""},
             // The proposed directory lies on the first installable drive.
             R{"generalstart\ndefdest D:\\APPS", "defdest=E:\\APPS;"},
             // Copy sources, their sizes in a 64-bit total, and subdirectories.
             R{"filestart\ncopy DEMO.EX_ DEMO.EXE\ncopy \"MY FILE.TX_ MYFILE.TXT\ncopy\ncopy \"\" TARGET\n"
               "copy <defdir>\\X",
               "bytes=30 scale 0.000458;sized=A:\\DEMO.EX_;sized=A:\\\"MY;sized=A:\\<defdir>\\X;"},
             R{"filestart\ncopy ONE\ncopy EMPTY\ncopy ONE\ncopy BIG",
               "bytes=2147603647 scale 32770.332031;sized=A:\\ONE;sized=A:\\EMPTY;sized=A:\\ONE;sized=A:\\BIG;"},
             R{"generalstart\ntitle Before\nfilestart\ncopy DEMO.EX_\nchdir DATA\ncopy MISSING.DA_ MISSING.DAT\n"
               "copy DEMO.EX_\ngeneralstart\ntitle After",
               "FAILED;title=Before;bytes=10 scale "
               "0.000153;subdir=DATA\\;target=DATA\\;sized=A:\\DEMO.EX_;sized=A:\\DATA\\MISSING.DA_;"
               "box=Install file A:\\DATA\\MISSING.DA_ not found. Abort|File Not Found;"},
             // Line ends as they come (a CR alone is no line end), and the end-of-file mark.
             R{"generalstart\r\ntitle First\r\n\x1atitle Second\r\ntitle Third\r\n", "title=First;"},
             R{"generalstart\ntitle A\032B\rC\r\r\nmessage M\nmessage N\r", "title=A\032B\rC\r;message=M\r\nN;"},
             // A whole 1024-character line.
             R{"generalstart\r\nmessage " + n(1016, 'x') + "Y\r\nmessage next",
               "message=" + n(1016, 'x') + "\r\nnext;"})) {
        std::string text =
            lines.find('\r') != lines.npos ? lines : std::regex_replace(lines + '\n', std::regex("\n"), "\r\n");
        EXPECT_EQ(Parse(fmemopen(text.data(), text.size(), "r")), outcome) << testing::PrintToString(lines);
    }
    EXPECT_EQ(Parse(std::fopen("/dev/null", "w")),  // unreadable
              "FAILED;bannerPath=OLD.BMP;box=Error when reading from install script|Abort;");
}

// Sources live on S:\, the installation goes to D:\; a source named FULL is larger than the free space. The trace notes
// what a user or the disk would see, each step closed by ";"; a message box as "?" with its buttons, icon and default
// button.
struct FakeMachine final : PassServices {
    std::set<std::string, std::less<>> dirs{"D:", "D:\\HAVE"};
    std::map<std::string, int64_t, std::less<>> files{{"S:\\A.EX_", 100}, {"S:\\B", 50}, {"S:\\SUB\\C", 10}};
    // Events per poll, up to '|': C cancel, R redraw, O other (as PassEvent orders them). Answers are 2 (No, Abort)
    // once none is left, so a copy that keeps failing ends the pass instead of being retried forever.
    std::string events, answers, trace;
    FakeMachine(std::string e, std::string a) : events(std::move(e)), answers(std::move(a)) {}

    static std::string Dir(std::string_view p) { return S(p.substr(0, p.size() - p.ends_with('\\'))); }
    static char Take(std::string& q, char none) { return q.empty() ? none : std::exchange(q, q.substr(1))[0]; }
    template <typename T>
    T Note(const std::string& step, T result)
    {
        trace += step + ';';
        return result;
    }
    PassEvent NextEvent() override { return PassEvent(std::string_view("|CRO").find(Take(events, '|'))); }
    int32_t Ask(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view text,
                std::string_view caption) override
    {
        return Note('?' + Join(std::array{buttons, icon, defaultButton}, "") + ' ' + S(caption) + ": " + S(text),
                    Take(answers, '2') - '0');
    }
    void PaintBackground() override { trace += "paint;"; }
    void ShowBanner() override { trace += "banner " + TheInstallState().bannerPath.str() + ";"; }
    bool DirectoryExists(std::string_view p) override { return dirs.contains(Dir(p)); }
    bool FileExists(std::string_view p) override { return files.contains(p); }
    bool MakeDirectory(std::string_view p) override
    {
        return dirs.contains(Dir(p).substr(0, Dir(p).rfind('\\'))) && dirs.insert(Dir(p)).second;
    }
    int32_t CopyExpanded(std::string_view s, std::string_view d) override
    {
        if (!files.contains(s) || dirs.contains(d)) return 4;
        files[S(d)] = files.find(s)->second;
        return 0;
    }
    std::string ExpandedName(std::string_view p) override { return std::regex_replace(S(p), std::regex("_$"), "E"); }
    bool SourceSize(std::string_view p, int64_t& n) override
    {
        return (n = files.contains(p) ? files.at(S(p)) : 0) > 0;
    }
    bool SourceExceedsFreeSpace(std::string_view p) override { return p.ends_with("FULL"); }
    void SetProgress(int32_t position) override { trace += "bar " + std::to_string(position) + ";"; }
    void ShowProgressTexts(std::string_view from, std::string_view to) override
    {
        trace += S(from) + " " + S(to) + ";";
    }
    bool Collect(int32_t keyword, std::span<char> a) override
    {
        return Note("collect " + std::to_string(keyword) + " " + S(TrimmedText(AsView(a))), true);
    }
    void Log(int32_t code, std::string_view text) override
    {
        trace += "log" + std::to_string(code) + " " + S(text) + ";";
    }
};

TEST(Script, InstallPassCarriesOutTheFileSections)
{
    auto copy = [](std::string from, std::string to) { return "From:  S:\\" + from + " To:  D:\\" + to + ';'; };
    auto copied = [&copy](std::string from, std::string to, int bar) {
        return copy(from, to) + "bar " + std::to_string(bar) + ";log2 S:\\" + from + " to: D:\\" + to + ';';
    };
    // chdir to a missing directory, Retry, Ignore and Abort after a failed copy: scenarios copy-errors, chdir-missing.
    const std::string banner = "paint;banner S:\\SUB\\P.BMP;",
                      cancel = "?322 Abort Installation?: Installation interrupted, would you like\rto abort?;";
    // The script, the events and answers; whether the pass ends well, the copy errors and the trace. Copy with and
    // without a destination, mkdir after chdir, existing directory, blank copy, chdir back; commands outside file
    // sections, comments, the end-of-file mark ending the pass; a full disk; Cancel answered No goes on, the next
    // Cancel answered Yes ends the pass, redraws show the banner again.
    using R = std::tuple<std::string, std::string, std::string, bool, int32_t, std::string>;
    for (const auto& [script, events, answers, ok, copyErrors, trace] :
         Table(R("filestart\ncopy A.EX_\nmkdir SUB\nchdir SUB\ncopy C \"C 2\"\nmkdir X\nmkdir HAVE\ncopy\nchdir\ncopy "
                 "B\n",
                 "", "", true, 0,
                 copied("A.EX_", "A.EXE", 655) + "log1 D:\\SUB;" + copied("SUB\\C", "SUB\\C 2", 720) + "log1 D:\\X;" +
                     copied("B", "B", 1048)),
               R("copy B\ngeneralstart\nmkdir Q\ndiagstart init\ncopy B\n# filestart\nfilestart\n\032copy B\n", "", "",
                 true, 0, ""),
               R("filestart\ncopy FULL X\ncopy B\n", "", "", false, 1,
                 copy("FULL", "X") + "?011 File Copy Error: Error installing S:\\FULL\r to D:\\XDisk full.\r"
                                     "Free some space & re-run installation.;"),
               R("filestart\nbanner SUB\\P.BMP\nmkdir X\ncopy B\n", "||RCO|C|", "21", false, 0,
                 banner + banner + cancel + "log1 D:\\X;" + cancel + "?011 Cancel Pressed: Installation aborted;"))) {
        InstallState& state = TheInstallState() = {
            .sourceDir = {"S:\\"}, .installDir = {"D:\\"}, .targetDir = {"D:\\"}, .progressScale = 10000 / 65535.0f};
        FakeMachine machine(events, answers);
        std::FILE* file = fmemopen(const_cast<char*>(script.data()), script.size(), "r");
        EXPECT_EQ(std::tuple(RunInstallPass(file, machine), machine.trace, state.copyErrors),
                  std::tuple(ok, trace, copyErrors))
            << testing::PrintToString(script);
        std::fclose(file);
    }
    EXPECT_EQ(std::pair(ProgressPosition(int64_t{3} << 32, (int64_t{6} << 32) / 65535.0f), ProgressPosition(1, 0)),
              std::pair(32767, 0));  // beyond 4 GB
}

TEST(InstallLog, LinesAndTokens)
{
    EXPECT_EQ(LogHeaderText(8, 9, 1999, 2, 3),
              "Install log generated by Marrowfield installer at 08:09 on 03 Feb 1999.");
    using R = std::tuple<int32_t, std::string, std::string>;
    for (const auto& [code, text, line] :
         Table(R{kLogCreatedDirectory, "C:\\D  ", "Created directory: C:\\D"},
               R{kLogCopiedFile, "a to: b", "Copied file: a to: b"},
               R{kLogCopyError, "a to: b", "** Error When Copying a to: b"},
               R{kLogUnfinished, " ", "** Error: Unfinished installation"}, R{kLogText, "#", "#"}, R{9, "x", " x"}))
        EXPECT_EQ(LogEntryLine(code, text), line) << code;
    EXPECT_EQ(LogSummaryLine(0) + '|' + LogSummaryLine(12),
              "# Install program finished. 0 copy error(s)|# Install program finished. 12 copy error(s)");

    char text[] = "a\r\n\nb", empty[] = "", delimiters[] = "\n\n";
    auto token = [](char* from) {
        const char* t = NextToken(from, "\n");
        return t ? std::string(t) : "(none)";
    };
    EXPECT_EQ((std::array{token(text), token(nullptr), token(nullptr), token(empty), token(delimiters)}),
              (std::array<std::string, 5>{"a\r", "b", "(none)", "(none)", "(none)"}));
}

TEST(Pages, DirectoryNamesBandsAndPicturePlacement)
{
    for (const char* name : {"C:\\Program Files\\App", "  C:\\DEMO  ", "DEMO", "\\\\server\\share"})
        EXPECT_TRUE(IsAcceptableDirectoryName(name)) << name;
    for (const char* name : {"", "  ", "C:\\a*b", "C:\\a:b", "C:\\a|b", "C:/D", ":\\D", "CC:\\D"})
        EXPECT_FALSE(IsAcceptableDirectoryName(name)) << name;
    for (std::size_t n : {255, 256})  // paths hold 255
        EXPECT_EQ(IsDirectoryNameTooLong(" C:\\" + std::string(n - 3, 'D') + "  "), n > 255) << n;

    // A band's colour component rounds, in single precision; no bands: the start colour; beyond the int32 range:
    // held at its ends. 254.79: the end colour is never reached.
    EXPECT_EQ((std::array{BandComponent(0, 255, 2, 1), BandComponent(10, 20, 4, 3), BandComponent(40, 255, 0, 3),
                          BandComponent(INT32_MIN, INT32_MAX, 2, 1), BandComponent(0, INT32_MAX, 1, 2),
                          BandComponent(0, INT32_MIN, 1, 2)}),
              (std::array{128, 18, 40, 0, INT32_MAX, INT32_MIN}));
    EXPECT_EQ(BandColour({0, 0, 75}, {0, 0, 255}, 255, 254), (ColourTriple{0, 0, 254}));

    // On a 640x480 screen: top-down (a negative height, the same size); as wide as the screen and tall, centred;
    // reduced to the width; reduced to the height; -2^31 from a file.
    using R = std::tuple<int32_t, int32_t, std::string>;
    for (const auto& [w, h, area] : Table(R{320, -200, "0.25,0.1,0.75,0.516667"}, R{640, 400, "0,0.0833333,1,0.916667"},
                                          R{1280, 480, "0,0.1,1,0.6"}, R{2560, 3840, "0.25,0,0.75,1"},
                                          R{INT32_MIN, INT32_MIN, "0.125,0,0.875,1"})) {
        const PictureArea a = PagePictureArea(w, h, 640, 480);
        EXPECT_EQ(Join(std::array{a.x1, a.y1, a.x2, a.y2}), area) << w << 'x' << h;
    }
}

}  // namespace
