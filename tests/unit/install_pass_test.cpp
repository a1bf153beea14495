// The install pass line by line against a medium and a disk kept in memory,
// the log's lines and the text scanning of the Program Manager step.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <set>

#include "driver/install_log_core.h"
#include "driver/install_pass_core.h"
#include "driver/install_state.h"
#include "system/text_scan.h"

namespace {

// Sources live on S:\, the installation goes to D:\. The trace notes what a
// user or the disk would see, each step closed by ";".
struct FakeMachine final : PassServices {
    std::set<std::string> dirs{"D:", "D:\\HAVE"};
    std::map<std::string, int64_t> files{{"S:\\A.EX_", 100}, {"S:\\B", 50}, {"S:\\SUB\\C", 10}};
    std::string events;  // per poll, up to '|': C cancel, R redraw, O other
    std::deque<int32_t> answers;
    bool diskFull = false;
    std::string trace;

    static std::string Dir(std::string_view p) { return std::string(p.ends_with('\\') ? p.substr(0, p.size() - 1) : p); }
    PassEvent NextEvent() override
    {
        const char c = events.empty() ? '|' : events[0];
        if (!events.empty()) events.erase(0, 1);
        return c == 'C' ? PassEvent::kCancel : c == 'R' ? PassEvent::kRedraw : c == 'O' ? PassEvent::kOther : PassEvent::kNone;
    }
    int32_t Ask(int32_t buttons, int32_t, int32_t, std::string_view text, std::string_view caption) override
    {
        trace += "?" + std::to_string(buttons) + " " + std::string(caption) + ": " + std::string(text) + ";";
        const int32_t a = answers.empty() ? 1 : answers.front();
        if (!answers.empty()) answers.pop_front();
        return a;
    }
    void PaintBackground() override { trace += "paint;"; }
    void ShowBanner() override { trace += "banner " + TheInstallState().bannerPath.str() + ";"; }
    bool DirectoryExists(std::string_view p) override { return dirs.count(Dir(p)) > 0; }
    bool MakeDirectory(std::string_view p) override
    {
        const std::string d = Dir(p);
        return dirs.count(d.substr(0, d.rfind('\\'))) && dirs.insert(d).second;
    }
    int32_t CopyExpanded(std::string_view s, std::string_view d) override
    {
        if (!files.count(std::string(s)) || dirs.count(std::string(d))) return 4;
        files[std::string(d)] = files[std::string(s)];
        return 0;
    }
    bool FileExists(std::string_view p) override { return files.count(std::string(p)) > 0; }
    std::string ExpandedName(std::string_view p) override
    {
        std::string e(p);
        if (e.ends_with('_')) e.back() = 'E';
        return e;
    }
    bool SourceSize(std::string_view p, int64_t& size) override
    {
        size = files.count(std::string(p)) ? files[std::string(p)] : 0;
        return files.count(std::string(p)) > 0;
    }
    bool SourceExceedsFreeSpace(std::string_view) override { return diskFull; }
    void ShowProgressTexts(std::string_view from, std::string_view to) override
    {
        trace += std::string(from) + " " + std::string(to) + ";";
    }
    void SetProgress(int32_t position) override { trace += "bar " + std::to_string(position) + ";"; }
    bool Collect(int32_t keyword, std::span<char> a) override
    {
        trace += "collect " + std::to_string(keyword) + " " + std::string(TrimmedText(AsView(a))) + ";";
        return true;
    }
    void Log(int32_t code, std::string_view text) override { trace += "log" + std::to_string(code) + " " + std::string(text) + ";"; }
};

struct PassCase {
    const char* script;
    const char* events;
    std::vector<int32_t> answers;
    bool diskFull;
    bool ok;
    int32_t copyErrors;
    const char* trace;
};

const PassCase kPassCases[] = {
    // copy with and without a destination, mkdir after chdir, existing directory, blank copy, chdir back.
    {"filestart\ncopy A.EX_\nmkdir SUB\nchdir SUB\ncopy C \"C 2\"\nmkdir X\nmkdir HAVE\ncopy\nchdir\ncopy B\n", "", {}, false, true, 0,
     "From:  S:\\A.EX_ To:  D:\\A.EXE;bar 655;log2 S:\\A.EX_ to: D:\\A.EXE;log1 D:\\SUB;"
     "From:  S:\\SUB\\C To:  D:\\SUB\\C 2;bar 720;log2 S:\\SUB\\C to: D:\\SUB\\C 2;log1 D:\\X;"
     "From:  S:\\B To:  D:\\B;bar 1048;log2 S:\\B to: D:\\B;"},
    // Commands outside file sections; comments; the end-of-file mark ends the pass.
    {"copy B\ngeneralstart\nmkdir Q\ndiagstart init\ncopy B\n# filestart\nfilestart\n\x1a" "copy B\n", "", {}, false, true, 0, ""},
    {"filestart\nchdir NONE\ncopy B\n", "", {}, false, false, 0, "?0 Aborting Installation: Error when reading from INSTALL.LST;"},
    {"filestart\nmkdir NO\\DEEP\n", "", {}, false, false, 0, "?0 Aborting Installation: Error when reading from INSTALL.LST;"},
    // Retry reads the line again, Ignore logs the error, Abort ends silently.
    {"filestart\ncopy MISSING\ncopy HAVE2 HAVE\nchdir\ncopy MISSING\n", "", {1, 0, 0, 2}, false, false, 3,
     "From:  S:\\MISSING To:  D:\\MISSING;?5 File Copy Error: Unexpected error installing S:\\MISSING\rPossible INSTALL.LST error or faulty media;"
     "From:  S:\\MISSING To:  D:\\MISSING;?5 File Copy Error: Unexpected error installing S:\\MISSING\rPossible INSTALL.LST error or faulty media;"
     "log3 S:\\MISSING to: D:\\MISSING;From:  S:\\HAVE2 To:  D:\\HAVE;?5 File Copy Error: Unexpected error installing S:\\HAVE2\rPossible INSTALL.LST error or faulty media;"
     "log3 S:\\HAVE2 to: D:\\HAVE;From:  S:\\MISSING To:  D:\\MISSING;?5 File Copy Error: Unexpected error installing S:\\MISSING\rPossible INSTALL.LST error or faulty media;"},
    {"filestart\ncopy MISSING X\ncopy B\n", "", {}, true, false, 1,
     "From:  S:\\MISSING To:  D:\\X;?0 File Copy Error: Error installing S:\\MISSING\r to D:\\XDisk full.\rFree some space & re-run installation.;"},
    // Cancel answered No goes on; the next Cancel answered Yes ends the pass. Redraws show the banner again.
    {"filestart\nbanner SUB\\P.BMP\nmkdir X\ncopy B\n", "||RCO|C|", {2, 1}, false, false, 0,
     "paint;banner S:\\SUB\\P.BMP;paint;banner S:\\SUB\\P.BMP;?3 Abort Installation?: Installation interrupted, would you like\rto abort?;log1 D:\\X;"
     "?3 Abort Installation?: Installation interrupted, would you like\rto abort?;?0 Cancel Pressed: Installation aborted;"},
    {"filestart\nassociate .a|A|x|\nvariable V=1\nprogram G|x|N|\ndiagstart\nvariable W=2\n", "", {}, false, true, 0,
     "collect 12 .a|A|x|;collect 13 V=1;collect 14 G|x|N|;"},
};

TEST(InstallPass, CarriesOutTheFileSections)
{
    for (const PassCase& c : kPassCases) {
        InstallState& state = TheInstallState();
        state = InstallState{};
        state.sourceDir.assign("S:\\");
        state.installDir.assign("D:\\");
        state.targetDir.assign("D:\\");
        state.progressScale = 10000 / 65535.0f;
        FakeMachine machine;
        machine.events = c.events;
        machine.answers.assign(c.answers.begin(), c.answers.end());
        machine.diskFull = c.diskFull;
        std::FILE* script = std::tmpfile();
        std::fputs(c.script, script);
        std::rewind(script);
        EXPECT_EQ(RunInstallPass(script, machine), c.ok) << c.script;
        std::fclose(script);
        EXPECT_EQ(machine.trace, c.trace) << c.script;
        EXPECT_EQ(state.copyErrors, c.copyErrors) << c.script;
    }
    EXPECT_EQ(ProgressPosition(int64_t{3} << 32, (int64_t{6} << 32) / 65535.0f), 32767);  // beyond 4 GB
    EXPECT_EQ(ProgressPosition(1, 0), 0);
}

TEST(InstallLog, Lines)
{
    EXPECT_EQ(LogHeaderText(8, 9, 1999, 2, 3), "Install log generated by Marrowfield installer at 08:09 on 03 Feb 1999.");
    EXPECT_EQ(LogHeaderText(23, 59, 2026, 12, 31), "Install log generated by Marrowfield installer at 23:59 on 31 Dec 2026.");
    EXPECT_EQ(LogEntryLine(kLogCreatedDirectory, "C:\\D  "), "Created directory: C:\\D");
    EXPECT_EQ(LogEntryLine(kLogCopiedFile, "a to: b"), "Copied file: a to: b");
    EXPECT_EQ(LogEntryLine(kLogCopyError, "a to: b"), "** Error When Copying a to: b");
    EXPECT_EQ(LogEntryLine(kLogUnfinished, " "), "** Error: Unfinished installation");
    EXPECT_EQ(LogEntryLine(kLogText, "#"), "#");
    EXPECT_EQ(LogEntryLine(9, "x"), " x");
    EXPECT_EQ(LogEntryLine(kLogCopiedFile, std::string(600, 'p')).size(), 613u);
    EXPECT_EQ(LogSummaryLine(0), "# Install program finished. 0 copy error(s)");
    EXPECT_EQ(LogSummaryLine(12), "# Install program finished. 12 copy error(s)");
}

TEST(TextScan, TokensAndCharacters)
{
    char text[] = "a\r\n\nb";
    EXPECT_STREQ(NextToken(text, "\n"), "a\r");
    EXPECT_STREQ(NextToken(nullptr, "\n"), "b");
    EXPECT_EQ(NextToken(nullptr, "\n"), nullptr);
    char empty[] = "", delimiters[] = "\n\n";
    EXPECT_EQ(NextToken(empty, "\n"), nullptr);
    EXPECT_EQ(NextToken(delimiters, "\n"), nullptr);
    char abc[] = "abca";
    EXPECT_EQ(FindLastChar(abc, 'a'), abc + 3);
    EXPECT_EQ(FindLastChar(abc, 'c'), abc + 2);
    EXPECT_EQ(FindLastChar(abc, 'x'), nullptr);
    EXPECT_EQ(FindLastChar(abc, '\0'), abc + 4);
    EXPECT_EQ(SpanOfSet("aab", "a"), 2u);
    EXPECT_EQ(FindAnyOf(abc, "cb"), abc + 1);
    EXPECT_EQ(IgnoreHook(5), 0);
}

}  // namespace
