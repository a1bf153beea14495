// The system changes: the lines they write and send, and the environment step on scratch files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "driver/install_state.h"
#include "system/system_steps_core.h"

namespace {

const std::string R = "HKEY_CLASSES_ROOT\\", kCommand = "\\shell\\open\\command = ", kBlanks(17, ' ');
std::string S(std::string_view text) { return std::string(text); }

TEST(SystemLines, TemporaryFilesCommandsAndMarkers)
{
    TheInstallState() = InstallState{};
    TheInstallState().installDir.assign("C:\\DEMO\\");
    struct { const char* arguments; bool win32s; std::array<std::string, 3> lines; } associations[] = {
        {".dem|Demo Document|<defdir>\\DEMO.EXE|", false, {R + ".dem = demfile", R + "demfile = Demo Document", R + "demfile" + kCommand + "\"C:\\DEMO\\DEMO.EXE\" %1"}},
        {"dem|Demo Document|<defdir>\\DEMO.EXE|", true, {R + ".dem = demfile", R + "demfile = Demo Document", R + "demfile" + kCommand + "C:\\DEMO\\DEMO.EXE %1"}},
        {"  DEM | <defdir> |x|", false, {R + ".DEM = DEMfile", R + "DEMfile = <defdir>", R + "DEMfile" + kCommand + "\"x\" %1"}}};
    for (const auto& a : associations) EXPECT_EQ(AssociationLines(a.arguments, a.win32s), a.lines) << a.arguments;
    const ShortcutEntry e = ParseShortcutEntry(" <defdir> |<defdir>| <defdir>|");
    EXPECT_EQ(CreateGroupCommand(e.group) + AddItemCommand(e.command, e.item), "[CreateGroup(<defdir>)][Additem(\"C:\\DEMO\",\"<defdir>\")]");
    EXPECT_EQ(StartMarker(2026, 12, 6), "rem Start of variables added by R.L.V. Installer on 06 Dec 2026" + kBlanks);
}

TEST(SystemLines, GroupTableKeepsWithinItsSlots)
{
    std::string reply = "Main\r\nDemo Group\r\n" + std::string(260, 'L') + "\r\n" + std::string(259, 'M') + "\n";
    for (int i = 0; i < 1000; ++i) reply += "G" + std::to_string(i) + "\r\n";
    GroupNameTable groups;
    groups.Fill(reply.data());
    EXPECT_EQ(groups.size(), 1000u);
    EXPECT_EQ(GroupCommand(groups, "DEMO group") + GroupCommand(groups, "G997"), "[ShowGroup(DEMO group,1)][CreateGroup(G997)]");
    EXPECT_TRUE(groups.Contains(std::string(259, 'm')) && groups.Contains("G996") && !groups.Contains(std::string(260, 'L')));
}

// Files in a scratch directory, AUTOEXEC.BAT of drive X: is X.bat there (its copy X.$t$), C:'s is read-only; the trace
// notes the rest. The next `failingWrites` files made afresh whose names end in `failing` are emptied and then fail
// as on a full disk.
struct ScratchMachine final : SystemServices {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("system-steps-" + std::to_string(getpid()));
    InstallState& state = TheInstallState() = InstallState{};
    std::string trace;
    std::map<std::string, std::string> environment;
    ScratchMachine()
    {
        std::filesystem::create_directories(dir);
        state.installDir.assign(dir.string() + "/");
    }
    ~ScratchMachine() { std::filesystem::remove_all(dir); }
    int failingWrites = 0;
    bool programManager = true, registryEditor = true;
    std::string failing = ".bat";
    std::string Local(std::string_view p)
    {
        const std::string_view tail = p.size() > 13 ? p.substr(p.size() - 13) : "";
        return tail == "\\autoexec.bat" || tail == "\\autoexec.$t$"
                   ? (dir / (S(p.substr(0, 1)) + S(p.substr(p.size() - 4)))).string()
                   : S(p);
    }
    std::string Read(const std::string& name) { return (std::stringstream() << std::ifstream(dir / name, std::ios::binary).rdbuf()).str(); }
    std::FILE* Open(const std::string& p, const char* mode) override
    {
        if (S(mode) != "wb" || !Local(p).ends_with(failing) || failingWrites-- <= 0)
            return std::fopen(Local(p).c_str(), mode);
        std::ofstream(Local(p), std::ios::trunc);
        return std::fopen("/dev/full", "wb");
    }
    void Delete(std::string_view p) override { std::filesystem::remove(Local(p)); }
    bool FileExists(std::string_view p) override { return std::filesystem::exists(Local(p)); }
    bool ReadOnly(std::string_view p) override { return p[0] == 'C'; }
    void Tell(int32_t icon, std::string_view text, std::string_view caption) override { trace += std::to_string(icon) + " " + S(caption) + ": " + S(text) + ";"; }
    void Log(std::string_view text) override { trace += "log " + S(text) + ";"; }
    void Today(int32_t& y, int32_t& m, int32_t& d) override { y = 2026, m = 3, d = 9; }
    bool AddProgramItems(const std::vector<ShortcutEntry>& e) override
    {
        trace += "items " + std::to_string(e.size()) + ";";
        return programManager;
    }
    bool SetEnvironmentValue(std::string_view n, std::string_view v) override
    {
        trace += "set " + S(n) + "=" + S(v) + ";";
        return registryEditor;  // the registry takes values when the editor works
    }
    bool EnvironmentValue(std::string_view n, std::string& v) override
    {
        return environment.contains(S(n)) && (v = environment[S(n)], true);
    }
    void AnnounceEnvironment() override { trace += "announce;"; }
    std::string ShortPath(std::string_view p) override { return S(p); }
    bool RunRegistryEditor(std::string_view line) override
    {
        trace += S(line) + ";";
        return registryEditor;
    }
};

TEST(SystemSteps, VariablesGoToTheFirstWritableAutoexecOrTheRegistryAndNoBlockIsBegunWithoutThem)
{
    for (const bool nt : {false, true}) {
        ScratchMachine m;
        InstallState& state = m.state;
        state.isWindowsNT = nt ? kTrue : kFalse;
        state.installableDriveCount = 2;
        state.installableDrives = {FixedText<2>("C:"), FixedText<2>("D:")};
        for (const char* bat : {"C.bat", "D.bat"}) std::ofstream(m.dir / bat) << "old\r\n";
        Logical ok = kFalse;
        ApplyVariables(ok, m);  // nothing collected yet
        m.environment["PATH"] = "C:\\TOOLS;%USERPROFILE%\\BIN";
        for (const char* line : {"DEMOHOME=<defdir>", "NOVALUE", "PATH=%path%;<defdir>BIN", "LIB=%LIB%"})
            ASSERT_TRUE(CollectVariable(FixedText<1024>(line), m));
        CloseTemporaryFiles();
        ApplyVariables(ok, m);
        EXPECT_TRUE(IsTrue(ok));
        const std::string home = m.dir.string() + "/", missing = "1 Aborting Installation: Error opening temporary variable file;";
        if (nt) {
            EXPECT_EQ(m.Read("variab.$t$"), ":\r\n: Variables to add (temporary file)\r\n:\r\nDEMOHOME=" + home +
                                                "\r\nNOVALUE\r\nPATH=%path%;" + home + "BIN\r\nLIB=%LIB%\r\n");
            EXPECT_EQ(m.trace, missing + "set DEMOHOME=" + home + ";set PATH=C:\\TOOLS;%USERPROFILE%\\BIN;" + home +
                                   "BIN;announce;log Modified Registry        - Added Environment Variables;");
        } else {
            EXPECT_EQ(m.Read("D.bat"),
                      "old\r\n\r\nrem Start of variables added by R.L.V. Installer on 09 Mar 2026" + kBlanks +
                          "\r\nSET DEMOHOME=" + home + "\r\nSET NOVALUE\r\nSET PATH=%path%;" + home +
                          "BIN\r\nSET LIB=%LIB%\r\nrem End of variables added by R.L.V. Installer\r\n\r\n");
            EXPECT_EQ(m.trace, missing + "log Modified D:\\AUTOEXEC.BAT - Added Environment Variables;");
        }
        RemoveTemporaryFiles(m);
        EXPECT_FALSE(std::filesystem::exists(m.dir / "variab.$t$"));
    }
}

// The block goes before an end-of-file mark and after a line end; a write that fails leaves the file as it was, or,
// when putting it back fails too, its copy beside it.
TEST(SystemSteps, AutoexecTakesTheBlockWholeOrNotAtAll)
{
    const std::string block = "\r\nrem Start of variables added by R.L.V. Installer on 09 Mar 2026" + kBlanks +
                              "\r\nSET A=1\r\nrem End of variables added by R.L.V. Installer\r\n\r\n";
    const std::string added = "log Modified D:\\AUTOEXEC.BAT - Added Environment Variables;";
    const std::string failed =
        "1 Abort Installation: Error writing to D:\\AUTOEXEC.BAT;log Error writing to D:\\AUTOEXEC.BAT;";
    const struct {
        std::string before, failing;
        int failingWrites;
        std::string after, copy, trace;
    } cases[] = {
        {"old\r\n", "", 0, "old\r\n" + block, "", added},
        {"old", "", 0, "old\r\n" + block, "", added},
        {"", "", 0, block, "", added},
        {"a\r\nb\x1A", "", 0, "a\r\nb\r\n" + block + "\x1A", "", added},
        {"a\n\x1Ajunk\x1A", "", 0, "a\n" + block + "\x1Ajunk\x1A", "", added},
        {"old\r\n", ".$t$", 1, "old\r\n", "", failed},  // no room for the copy
        {"old\r\n", ".bat", 1, "old\r\n", "", failed},  // nor for the new file: the old one is written back
        {"old\r\n", ".bat", 2, "", "old\r\n", failed},  // nor for that: the copy stays
    };
    for (const auto& c : cases) {
        ScratchMachine m;
        InstallState& state = m.state;
        state.installableDriveCount = 1;
        state.installableDrives = {FixedText<2>("D:")};
        std::ofstream(m.dir / "D.bat", std::ios::binary) << c.before;
        ASSERT_TRUE(CollectVariable(FixedText<1024>("A=1"), m));
        CloseTemporaryFiles();
        Logical ok = kFalse;
        m.failingWrites = c.failingWrites;
        m.failing = c.failing;
        ApplyVariables(ok, m);
        EXPECT_EQ(std::tuple(m.Read("D.bat"), m.Read("D.$t$"), m.trace), std::tuple(c.after, c.copy, c.trace))
            << c.failingWrites;
    }
    // Without an old value a reference drops out with a separator next to it; a longer name is another variable.
    const std::string old = "X;%PATH%";
    const std::pair<std::string, std::string> values[] = {{"%PATH%;C:\\A", "C:\\A"},
                                                          {"C:\\A;%path%;C:\\B", "C:\\A;C:\\B"},
                                                          {"C:\\A;%PATH%", "C:\\A"},
                                                          {"%PATH%%PATHEXT%", "%PATHEXT%"}};
    for (const auto& [value, extended] : values) EXPECT_EQ(ExtendedValue("Path", value, nullptr), extended);
    EXPECT_EQ(ExtendedValue("PATH", "%PATH%;A;%Path%", &old), "X;%PATH%;A;X;%PATH%");
}

// The log says "Added" only for what Program Manager, the registry editor and the registry took; the editor's script
// is quoted. Lines without their fields (an associate line with blanks for bars would associate every file without an
// extension) are logged and change nothing.
TEST(SystemSteps, TheLogSaysWhatWasDone)
{
    using Collector = bool (*)(std::span<char>, SystemServices&);
    // Lines without their fields, then (no keyword) lines that are taken.
    const std::tuple<Collector, std::string, std::string> lines[] = {
        {CollectAssociation, "associate", ".zqx Demo Document C:\\DEMO.EXE"},
        {CollectAssociation, "associate", " . |Doc|x|"},
        {CollectAssociation, "associate", "zqx|Doc| |"},
        {CollectShortcut, "program", " |C:\\DEMO.EXE|Demo|"},
        {CollectShortcut, "program", "Group| |Demo|"},
        {CollectVariable, "variable", " =x"},
        {CollectShortcut, "", "Demo|<defdir>DEMO.EXE|Demo|"},
        {CollectShortcut, "", "Demo|<defdir>HELP.EXE|Help|"},
        {CollectAssociation, "", ".dem|Demo|<defdir>DEMO.EXE|"},
        {CollectVariable, "", "A=1"}};
    std::string skippedTrace;
    for (const auto& [collect, keyword, arguments] : lines)
        skippedTrace += keyword.empty() ? "" : "log ** Skipped, fields missing: " + keyword + " " + arguments + ";";
    for (const bool works : {true, false}) {
        ScratchMachine m;
        m.programManager = m.registryEditor = works;
        m.state.isWindowsNT = kTrue;
        for (const auto& [collect, keyword, arguments] : lines) ASSERT_TRUE(collect(FixedText<1024>(arguments), m));
        CloseTemporaryFiles();
        Logical ok = kFalse;
        ApplyShortcuts(ok, m);
        ApplyAssociations(ok, m);
        ApplyVariables(ok, m);
        const std::string editor = "regedit /s \"" + m.dir.string() + "/regedit.$t$\";";
        EXPECT_EQ(m.trace,
                  skippedTrace + (works ? "items 2;log Modified Start Menu      - Added Shortcuts;" + editor +
                                              "log Modified Registry        - Added File Associations;set A=1;"
                                              "announce;log Modified Registry        - Added Environment Variables;"
                                        : "items 2;4 Installation Error: Error running Start Menu script;log "
                                          "Error running Start Menu script;" +
                                              editor +
                                              "4 Installation Error: "
                                              "Error running registry edit script;log Error running registry edit "
                                              "script;set A=1;announce;log Error writing Environment Variables to "
                                              "the registry;"));
        EXPECT_EQ(std::ranges::count(m.Read("regedit.$t$"), '\n'), 4) << "the skipped lines were written";
    }
}

}  // namespace
