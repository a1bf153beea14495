// The installer's portable parts: the install script (line routines and parser), the install pass against a
// medium and a disk kept in memory, the log's lines, text scanning, directory rules, background bands and page pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
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

namespace {

std::string Field(std::string text, std::size_t n) { return text.resize(n, ' '), text; }

std::FILE* ScriptFile(const std::string& bytes) { std::FILE* f = std::tmpfile(); return std::fwrite(bytes.data(), 1, bytes.size(), f), std::rewind(f), f; }

TEST(Script, DefdirPlaceholder)
{
    const std::tuple<std::string, std::string, std::size_t, std::string> defdirs[] = {  // directory, text, length, result
        {"C:\\ABCDEFGHIJ\\", "<defdir><defdir>", 16, "C:\\ABCDEFGHIJ<de"}, {"C:\\<defdir>", "<defdir>;<defdir>", 261, "C:\\<defdir>;C:\\<defdir>"},  // not again
        {"", "<DE<defdir>fdir>x", 24, "x"},  // a blank directory: the text around it joins into a placeholder, replaced too
    };
    for (auto [dir, text, length, result] : defdirs)
        EXPECT_EQ((TheInstallState().installDir.assign(dir), text = Field(text, length), SubstituteDefdir(text), text), Field(result, length)) << dir;
}

// Copy sources hold 10 bytes unless sized here; names with MISSING do not exist.
struct FakeServices final : ScriptServices {
    std::map<std::string, int64_t, std::less<>> sizes = {{"A:\\BIG", 2147483647}, {"A:\\ONE", 60000}, {"A:\\EMPTY", 0}};
    std::string told;
    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        return told += "sized=" + std::string(path) + ';', size = sizes.try_emplace(std::string(path), 10).first->second, path.find("MISSING") == path.npos;
    }
    void ShowStopMessage(std::string_view text, std::string_view caption) override { told += "box=" + std::string(text) + '|' + std::string(caption) + ';'; }
};

// Parses from a fresh plan on first drive E:, with a byte total and a picture path left from before, and lists
// every outcome that differs from the defaults.
std::string Parse(std::FILE* file)
{
    InstallState& state = TheInstallState() = InstallState{};
    const InstallPlan& plan = (ResetInstallPlan(), ResetErrorState(), TheInstallPlan());
    state.sourceDir.assign("A:\\"), state.installableDrives[0].assign("E:"), state.bannerPath.assign("OLD.BMP"), state.bytesDone = 77;
    FakeServices services;
    std::string out = ParseScript(file, services) ? "" : "FAILED;";
    std::fclose(file);
    EXPECT_FLOAT_EQ(state.progressScale, static_cast<float>(state.bytesDone / 65535.0));
    auto add = [&out](bool changed, const std::string& name, const std::string& value) { out += changed ? name + '=' + value + ';' : ""; };
    auto text = [&add](const std::string& name, const auto& field) { add(!field.blank(), name, field.str()); };
    auto rgb = [&add](const char* name, const ColourTriple& c, const ColourTriple& initial) { add(!(c == initial), name, std::to_string(c.red) + ',' + std::to_string(c.green) + ',' + std::to_string(c.blue)); };
    const GeneralSettings& g = plan.general;
    text("title", state.generalTitle), text("message", g.message), add(g.backgroundStyle != 1, "backgrnd", std::to_string(g.backgroundStyle));
    add(g.font != 5, "font", std::to_string(g.font)), rgb("colour", g.titleColour, {255, 255, 255}), rgb("sfillcol", g.startFillColour, {0, 0, 75});
    rgb("efillcol", g.endFillColour, {0, 0, 255}), text("defdest", state.installDir);
    for (std::size_t n = 0; const PageText& page : plan.pages) {  // slot 0 is no page: nothing may land there
        const std::string p = 'p' + std::to_string(n++) + '.';
        text(p + "title", page.title), text(p + "message", page.message), add(page.hasPicture, p + "banner", page.picture.str());
    }
    add(state.bytesDone != 0, "bytes", std::to_string(state.bytesDone)), text("subdir", state.subDir), text("target", state.targetDir), text("bannerPath", state.bannerPath);
    return out + services.told;
}

std::string CrLf(std::string s) { for (std::size_t at = 0; (at = s.find('\n', at)) != s.npos; at += 2) s.insert(at, 1, '\r'); return s; }

TEST(Script, Parser)
{
    auto n = [](std::size_t count, char c) { return std::string(count, c); };
    auto m = [&n](char c) { return "\nmessage " + n(1000, c); };
    const std::pair<std::string, std::string> cases[] = {  // the script's lines, each ended by CR LF unless the row holds a CR; the outcome
        // Comments, words that are no keywords, letter case.
        {"generalstart\ntitle A # B\n# title C\n    # title D\n#title E\ntitles F\ntitl G\ntitle\tH", "title=A # B;"},
        {"GENERALSTART\nTITLE Upper\nDiagStart INIT\nTitle Mixed\nFileStart\nCOPY ONE", "title=Upper;p1.title=Mixed;bytes=60000;sized=A:\\ONE;"},
        // Page sections before a page is named, and page names cut to their field.
        {"diagstart intro\ntitle T\nbanner B.BMP\ndiagstart init x\ndiagstart finish" + n(254, ' ') + "x\ntitle T", ""}, {"diagstart finish" + n(255, ' ') + "overflow\ntitle T", "p4.title=T;"},
        // Message lines join with CR LF within a section, directly across sections.
        {"diagstart init\nmessage A\ndiagstart intro\nmessage B", "p1.message=AB;"},
        {"diagstart system" + m('a') + m('b') + m('c') + m('d') + m('e'), "p5.message=" + n(1000, 'a') + "\r\n" + n(1000, 'b') + "\r\n" + n(1000, 'c') + "\r\n" + n(1000, 'd') + "\r\n" + n(88, 'e') + ';'},
        // Numbers and colours; an earlier conversion error does not spoil a colour.
        {"generalstart\nfont x\ncolour 10 20 30 40\nsfillcol 0 0 0\nefillcol +4 5 255", "colour=10,20,30;sfillcol=0,0,0;efillcol=4,5,255;"},
        {"generalstart\ncolour 10 20\ncolour 0 0 256\ncolour 255,255,0\ncolour -1 0 0\ncolour 1 2 3.0\ncolour 2147483648 0 0\ncolour 4\t5 6\nsfillcol 1 2 -3\nefillcol\ncolor 0 0 0", ""},
        // The proposed directory lies on the first installable drive.
        {"generalstart\ndefdest D:\\APPS", "defdest=E:\\APPS;"},
        // Copy sources, their sizes in a 64-bit total, and subdirectories.
        {"filestart\ncopy DEMO.EX_ DEMO.EXE\ncopy \"MY FILE.TX_ MYFILE.TXT\ncopy\ncopy \"\" TARGET\ncopy <defdir>\\X", "bytes=30;sized=A:\\DEMO.EX_;sized=A:\\\"MY;sized=A:\\<defdir>\\X;"},
        {"filestart\ncopy ONE\ncopy EMPTY\ncopy ONE\ncopy BIG", "bytes=2147603647;sized=A:\\ONE;sized=A:\\EMPTY;sized=A:\\ONE;sized=A:\\BIG;"},
        {"generalstart\ntitle Before\nfilestart\ncopy DEMO.EX_\nchdir DATA\ncopy MISSING.DA_ MISSING.DAT\ncopy DEMO.EX_\ngeneralstart\ntitle After",
         "FAILED;title=Before;bytes=10;subdir=DATA\\;target=DATA\\;sized=A:\\DEMO.EX_;sized=A:\\DATA\\MISSING.DA_;box=Install file A:\\DATA\\MISSING.DA_ not found. Abort|File Not Found;"},
        // Line ends as they come (a CR alone is no line end), and the end-of-file mark.
        {"generalstart\r\ntitle First\r\n\x1atitle Second\r\ntitle Third\r\n", "title=First;"},
        {"generalstart\ntitle A\x1a" "B\rC\r\r\nmessage M\nmessage N\r", "title=A\x1a" "B\rC\r;message=M\r\nN;"},
        {"generalstart\r\nmessage " + n(1016, 'x') + "Y\r\nmessage next", "message=" + n(1016, 'x') + "\r\nnext;"},  // a whole 1024-character line
    };
    for (const auto& [lines, outcome] : cases)
        EXPECT_EQ(Parse(ScriptFile(lines.find('\r') == lines.npos ? CrLf(lines + '\n') : lines)), outcome) << lines.substr(0, 50);
    EXPECT_EQ(Parse(std::fopen("/dev/null", "w")), "FAILED;bannerPath=OLD.BMP;box=Error when reading from install script|Abort;");  // unreadable
}

// Sources live on S:\, the installation goes to D:\. The trace notes what a user or the disk would see, each step
// closed by ";"; a message box as "?" with its buttons, icon and default button.
struct FakeMachine final : PassServices {
    std::set<std::string, std::less<>> dirs{"D:", "D:\\HAVE"};
    std::map<std::string, int64_t, std::less<>> files{{"S:\\A.EX_", 100}, {"S:\\B", 50}, {"S:\\SUB\\C", 10}};
    // Events per poll, up to '|': C cancel, R redraw, O other. Answers are 2 (No, Abort) once none is left, so
    // a copy that keeps failing ends the pass instead of being retried forever.
    std::string events, answers, trace;
    bool diskFull = false;

    static std::string Dir(std::string_view p) { return std::string(p.substr(0, p.size() - p.ends_with('\\'))); }
    static char Take(std::string& queue, char otherwise) { const char c = queue.empty() ? otherwise : queue[0]; return queue.erase(0, !queue.empty()), c; }
    PassEvent NextEvent() override { const char c = Take(events, '|'); return c == 'C' ? PassEvent::kCancel : c == 'R' ? PassEvent::kRedraw : c == 'O' ? PassEvent::kOther : PassEvent::kNone; }
    int32_t Ask(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view text, std::string_view caption) override
    {
        trace += '?' + std::to_string(buttons) + std::to_string(icon) + std::to_string(defaultButton) + ' ' + std::string(caption) + ": " + std::string(text) + ';';
        return Take(answers, '2') - '0';
    }
    void PaintBackground() override { trace += "paint;"; }  void ShowBanner() override { trace += "banner " + TheInstallState().bannerPath.str() + ";"; }
    bool DirectoryExists(std::string_view p) override { return dirs.contains(Dir(p)); }  bool FileExists(std::string_view p) override { return files.contains(p); }
    bool MakeDirectory(std::string_view p) override { const std::string d = Dir(p); return dirs.contains(d.substr(0, d.rfind('\\'))) && dirs.insert(d).second; }
    int32_t CopyExpanded(std::string_view s, std::string_view d) override { return !files.contains(s) || dirs.contains(d) ? 4 : (files[std::string(d)] = files.find(s)->second, 0); }
    std::string ExpandedName(std::string_view p) override { return std::string(p.ends_with('_') ? p.substr(0, p.size() - 1) : p) + (p.ends_with('_') ? "E" : ""); }
    bool SourceSize(std::string_view p, int64_t& size) override { return size = files.contains(p) ? files.find(p)->second : 0, files.contains(p); }
    bool SourceExceedsFreeSpace(std::string_view) override { return diskFull; }  void SetProgress(int32_t position) override { trace += "bar " + std::to_string(position) + ";"; }
    void ShowProgressTexts(std::string_view from, std::string_view to) override { trace += std::string(from) + " " + std::string(to) + ";"; }
    bool Collect(int32_t keyword, std::span<char> a) override { return trace += "collect " + std::to_string(keyword) + " " + std::string(TrimmedText(AsView(a))) + ";", true; }
    void Log(int32_t code, std::string_view text) override { trace += "log" + std::to_string(code) + " " + std::string(text) + ";"; }
};

TEST(Script, InstallPassCarriesOutTheFileSections)
{
    auto copy = [](std::string from, std::string to) { return "From:  S:\\" + from + " To:  D:\\" + to + ';'; };
    auto copied = [&copy](std::string from, std::string to, int bar) { return copy(from, to) + "bar " + std::to_string(bar) + ";log2 S:\\" + from + " to: D:\\" + to + ';'; };
    // chdir to a missing directory, Retry, Ignore and Abort after a failed copy: scenarios copy-errors, chdir-missing.
    const std::string banner = "paint;banner S:\\SUB\\P.BMP;",
                      cancel = "?322 Abort Installation?: Installation interrupted, would you like\rto abort?;";
    struct Case { std::string script, events, answers; bool diskFull, ok; int32_t copyErrors; std::string trace; } cases[] = {
        // copy with and without a destination, mkdir after chdir, existing directory, blank copy, chdir back.
        {"filestart\ncopy A.EX_\nmkdir SUB\nchdir SUB\ncopy C \"C 2\"\nmkdir X\nmkdir HAVE\ncopy\nchdir\ncopy B\n", "", "", false, true, 0,
         copied("A.EX_", "A.EXE", 655) + "log1 D:\\SUB;" + copied("SUB\\C", "SUB\\C 2", 720) + "log1 D:\\X;" + copied("B", "B", 1048)},
        // Commands outside file sections; comments; the end-of-file mark ends the pass.
        {"copy B\ngeneralstart\nmkdir Q\ndiagstart init\ncopy B\n# filestart\nfilestart\n\x1a" "copy B\n", "", "", false, true, 0, ""},
        {"filestart\ncopy MISSING X\ncopy B\n", "", "", true, false, 1, copy("MISSING", "X") + "?011 File Copy Error: Error installing S:\\MISSING\r to D:\\XDisk full.\rFree some space & re-run installation.;"},
        // Cancel answered No goes on; the next Cancel answered Yes ends the pass. Redraws show the banner again.
        {"filestart\nbanner SUB\\P.BMP\nmkdir X\ncopy B\n", "||RCO|C|", "21", false, false, 0, banner + banner + cancel + "log1 D:\\X;" + cancel + "?011 Cancel Pressed: Installation aborted;"},
    };
    for (const Case& c : cases) {
        InstallState& state = TheInstallState() = InstallState{};
        state.sourceDir.assign("S:\\"), state.installDir.assign("D:\\"), state.targetDir.assign("D:\\"), state.progressScale = 10000 / 65535.0f;
        FakeMachine machine;
        machine.events = c.events, machine.answers = c.answers, machine.diskFull = c.diskFull;
        std::FILE* script = ScriptFile(c.script);
        EXPECT_EQ(std::tuple(RunInstallPass(script, machine), machine.trace, state.copyErrors), std::tuple(c.ok, c.trace, c.copyErrors)) << c.script;
        std::fclose(script);
    }
    EXPECT_EQ(std::pair(ProgressPosition(int64_t{3} << 32, (int64_t{6} << 32) / 65535.0f), ProgressPosition(1, 0)), std::pair(32767, 0));  // beyond 4 GB
}

TEST(InstallLog, LinesAndTokens)
{
    EXPECT_EQ(LogHeaderText(8, 9, 1999, 2, 3), "Install log generated by Marrowfield installer at 08:09 on 03 Feb 1999.");
    for (auto [code, text, line] : {std::tuple<int32_t, const char*, const char*>{kLogCreatedDirectory, "C:\\D  ", "Created directory: C:\\D"}, {kLogCopiedFile, "a to: b", "Copied file: a to: b"},
                                    {kLogCopyError, "a to: b", "** Error When Copying a to: b"}, {kLogUnfinished, " ", "** Error: Unfinished installation"}, {kLogText, "#", "#"}, {9, "x", " x"}})
        EXPECT_EQ(LogEntryLine(code, text), line) << code;
    EXPECT_EQ(LogSummaryLine(0) + '|' + LogSummaryLine(12), "# Install program finished. 0 copy error(s)|# Install program finished. 12 copy error(s)");

    char text[] = "a\r\n\nb", empty[] = "", delimiters[] = "\n\n";
    auto token = [](char* from) { const char* t = NextToken(from, "\n"); return t ? std::string(t) : "(none)"; };
    EXPECT_EQ((std::array{token(text), token(nullptr), token(nullptr), token(empty), token(delimiters)}), (std::array<std::string, 5>{"a\r", "b", "(none)", "(none)", "(none)"}));
}

TEST(Pages, DirectoryNamesBandsAndPicturePlacement)
{
    for (const char* name : {"C:\\Program Files\\App", "  C:\\DEMO  ", "DEMO", "\\\\server\\share"}) EXPECT_TRUE(IsAcceptableDirectoryName(name)) << name;
    for (const char* name : {"", "  ", "C:\\a*b", "C:\\a:b", "C:\\a|b", "C:/D", ":\\D", "CC:\\D"}) EXPECT_FALSE(IsAcceptableDirectoryName(name)) << name;
    for (std::size_t n : {255, 256, 260, 261}) EXPECT_EQ(IsDirectoryNameTooLong(" C:\\" + std::string(n - 3, 'D') + "  "), n > 255) << n;  // paths hold 255

    // Band k's colour component is floor(s + (e - s) * k / N + 1/2) in integers (the band counts a display
    // gives are odd, so no ties).
    for (int32_t n : {1, 15, 127, 255})
        for (int32_t s = 0; s <= 255; s += 15)
            for (int32_t e = 0; e <= 255; e += 15)
                for (int32_t k = 0; k < n; ++k)
                    ASSERT_EQ(BandComponent(s, e, n, k), (2LL * s * n + 2LL * (e - s) * k + n) / (2LL * n)) << s << "->" << e << " " << n << " " << k;
    EXPECT_EQ(BandColour({0, 0, 75}, {0, 0, 255}, 255, 254), (ColourTriple{0, 0, 254}));  // 254.79: the end colour is never reached
    EXPECT_EQ((std::array{BandComponent(40, 255, 0, 3), BandComponent(INT32_MIN, INT32_MAX, 2, 1), BandComponent(0, INT32_MAX, 1, 2), BandComponent(0, INT32_MIN, 1, 2)}),
              (std::array{40, 0, INT32_MAX, INT32_MIN}));  // no bands: the start colour; beyond the int32 range: held at its ends

    // Stored top-down (negative height); as wide as the screen; reduced to the width; reduced to the height; -2^31 from a file.
    for (auto [w, h, x1, y1, x2, y2] : {std::tuple{320, 200, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480}, {320, -200, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480},
                                        {640, 460, 0.0f, (1 - 460.0f / 480) / 2, 1.0f, (1 + 460.0f / 480) / 2}, {1280, 480, 0.0f, 0.1f, 1.0f, 0.6f}, {2560, 3840, 0.25f, 0.0f, 0.75f, 1.0f},
                                        {INT32_MIN, INT32_MIN, 0.125f, 0.0f, 0.875f, 1.0f}})
        for (const PictureArea a = PagePictureArea(w, h, 640, 480); auto [got, expected] : {std::pair{a.x1, x1}, std::pair{a.y1, y1}, std::pair{a.x2, x2}, std::pair{a.y2, y2}})
            EXPECT_NEAR(got, expected, 1e-5) << w << 'x' << h;
}

}  // namespace
