// The system changes: the lines they write and send, and the steps on scratch files.
#include <unistd.h>

#include "driver/install_state.h"
#include "system/system_steps_core.h"
#include "unit_test.h"

namespace {

const std::string R = "HKEY_CLASSES_ROOT\\", kCommand = "\\shell\\open\\command = ", kBlanks(17, ' ');

TEST(SystemLines, AssociationsCommandsMarkersGroupsAndValues)
{
    TheInstallState() = InstallState{};
    TheInstallState().installDir.assign("C:\\DEMO\\");
    using A = std::tuple<std::string, bool, std::array<std::string, 3>>;
    for (const auto& [arguments, win32s, lines] :
         Table(A(".dem|Demo Document|<defdir>\\DEMO.EXE|", false,
                 {R + ".dem = demfile", R + "demfile = Demo Document",
                  R + "demfile" + kCommand + "\"C:\\DEMO\\DEMO.EXE\" %1"}),
               A("dem|Demo Document|<defdir>\\DEMO.EXE|", true,
                 {R + ".dem = demfile", R + "demfile = Demo Document",
                  R + "demfile" + kCommand + "C:\\DEMO\\DEMO.EXE %1"}),
               A("  DEM | <defdir> |x|", false,
                 {R + ".DEM = DEMfile", R + "DEMfile = <defdir>", R + "DEMfile" + kCommand + "\"x\" %1"})))
        EXPECT_EQ(AssociationLines(arguments, win32s), lines) << arguments;
    const ShortcutEntry e = ParseShortcutEntry(" <defdir> |<defdir>| <defdir>|");
    EXPECT_EQ(CreateGroupCommand(e.group) + AddItemCommand(e.command, e.item),
              "[CreateGroup(<defdir>)][Additem(\"C:\\DEMO\",\"<defdir>\")]");
    EXPECT_EQ(StartMarker(2026, 12, 6), "rem Start of variables added by R.L.V. Installer on 06 Dec 2026" + kBlanks);

    // The group table keeps within its slots.
    std::string reply = "Main\r\nDemo Group\r\n" + std::string(260, 'L') + "\r\n" + std::string(259, 'M') + "\n";
    for (int i = 0; i < 1000; ++i) reply += "G" + std::to_string(i) + "\r\n";
    GroupNameTable groups;
    groups.Fill(reply.data());
    EXPECT_EQ(groups.size(), 1000u);
    EXPECT_EQ(GroupCommand(groups, "DEMO group") + GroupCommand(groups, "G997"),
              "[ShowGroup(DEMO group,1)][CreateGroup(G997)]");
    EXPECT_TRUE(groups.Contains(std::string(259, 'm')) && groups.Contains("G996") &&
                !groups.Contains(std::string(260, 'L')));

    // Without an old value a reference drops out with a separator next to it; a longer name is another variable.
    const std::string old = "X;%PATH%";
    using V = std::array<std::string, 2>;
    for (const auto& [value, extended] : Table(V{"%PATH%;C:\\A", "C:\\A"}, V{"C:\\A;%path%;C:\\B", "C:\\A;C:\\B"},
                                               V{"C:\\A;%PATH%", "C:\\A"}, V{"%PATH%%PATHEXT%", "%PATHEXT%"}))
        EXPECT_EQ(ExtendedValue("Path", value, nullptr), extended);
    EXPECT_EQ(ExtendedValue("PATH", "%PATH%;A;%Path%", &old), "X;%PATH%;A;X;%PATH%");
}

// The installation directory X:\DEMO\ and AUTOEXEC.BAT of drive X: are files in a scratch directory (the latter X.bat,
// its copy X.$t$); C:'s is read-only. The trace notes the rest. The next `failingWrites` files made afresh whose
// names end in `failing` are emptied and then fail as on a full disk.
struct ScratchMachine final : SystemServices {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("system-steps-" + std::to_string(getpid()));
    std::string trace, failing;
    int failingWrites = 0;
    bool works = true;  // Program Manager, the registry editor and the registry
    ScratchMachine() { std::filesystem::create_directories(dir); }
    ~ScratchMachine() { std::filesystem::remove_all(dir); }
    std::string Local(std::string_view p)
    {
        const bool autoexec = p.ends_with("\\autoexec.bat") || p.ends_with("\\autoexec.$t$");
        return (dir / (autoexec ? S(p.substr(0, 1)) + S(p.substr(p.size() - 4)) : S(p.substr(8)))).string();
    }
    std::string Read(const std::string& name)
    {
        return (std::stringstream() << std::ifstream(dir / name, std::ios::binary).rdbuf()).str();
    }
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
    void Tell(int32_t i, std::string_view t, std::string_view c) override
    {
        Note(std::to_string(i) + " " + S(c) + ": " + S(t));
    }
    void Log(std::string_view text) override { Note("log " + S(text)); }
    void Today(int32_t& y, int32_t& m, int32_t& d) override { std::tie(y, m, d) = std::tuple(2026, 3, 9); }
    bool AddProgramItems(const std::vector<ShortcutEntry>& e) override
    {
        return Note("items " + std::to_string(e.size()));
    }
    bool SetEnvironmentValue(std::string_view n, std::string_view v) override
    {
        return Note("set " + S(n) + "=" + S(v));
    }
    bool EnvironmentValue(std::string_view n, std::string& v) override
    {
        return n == "PATH" && !(v = "C:\\TOOLS;%USERPROFILE%\\BIN").empty();
    }
    void AnnounceEnvironment() override { Note("announce"); }
    std::string ShortPath(std::string_view p) override { return S(p); }
    bool RunRegistryEditor(std::string_view line) override { return Note(S(line)); }
    bool Note(const std::string& step)
    {
        trace += step + ";";
        return works;
    }
};

// Lines collected ("a", "p" or "v" and the arguments of an associate, program or variable line), then the
// shortcuts, associations and variables applied (the variables always, the others when collected) on Windows NT
// or an earlier system: the trace, AUTOEXEC.BAT of D: (before: as given; C:'s: "old") and its copy. The log says
// "Added" only for what Program Manager, the registry editor and the registry took; the editor's script is quoted.
// Lines without their fields (an associate line with blanks for bars would associate every file without an
// extension) are logged and change nothing. The AUTOEXEC.BAT block goes before an end-of-file mark and after a line
// end; a write that fails leaves the file as it was or, when putting it back fails too, its copy beside it.
TEST(SystemSteps, TheLogSaysWhatWasDone)
{
    auto block = [](std::string sets) {
        return "\r\nrem Start of variables added by R.L.V. Installer on 09 Mar 2026" + kBlanks + "\r\n" + sets +
               "rem End of variables added by R.L.V. Installer\r\n\r\n";
    };
    const std::string added = "log Modified D:\\AUTOEXEC.BAT - Added Environment Variables;", a1 = block("SET A=1\r\n");
    const std::string failed =
        "1 Abort Installation: Error writing to D:\\AUTOEXEC.BAT;log Error writing to D:\\AUTOEXEC.BAT;";
    const std::string variables = "v DEMOHOME=<defdir>\nv NOVALUE\nv PATH=%path%;<defdir>\\BIN\nv LIB=%LIB%";
    const std::string all =
        "a .zqx Demo Document C:\\DEMO.EXE\na  . |Doc|x|\na zqx|Doc| |\np  |C:\\DEMO.EXE|Demo|\n"
        "p Group| |Demo|\nv  =x\np Demo|<defdir>DEMO.EXE|Demo|\np Demo|<defdir>HELP.EXE|Help|\n"
        "a .dem|Demo|<defdir>DEMO.EXE|\nv A=1";
    std::string skipped;
    for (const char* line :
         {"associate .zqx Demo Document C:\\DEMO.EXE", "associate  . |Doc|x|", "associate zqx|Doc| |",
          "program  |C:\\DEMO.EXE|Demo|", "program Group| |Demo|", "variable  =x"})
        skipped += "log ** Skipped, fields missing: " + std::string(line) + ';';
    using Collector = bool (*)(std::span<char>, SystemServices&);
    const std::map<char, Collector> collectors = {
        {'a', CollectAssociation}, {'p', CollectShortcut}, {'v', CollectVariable}};
    // NT, the system's steps work; the lines; D:'s AUTOEXEC.BAT, the files failing and how many; the trace, D:'s
    // AUTOEXEC.BAT and its copy. A failing write finds no room for the copy; nor for the new file: the old one is
    // written back; nor for that: the copy stays.
    using C = std::tuple<bool, bool, std::string, std::string, std::string, int, std::string, std::string, std::string>;
    for (const auto& [nt, works, lines, before, failing, failingWrites, trace, after, copy] : Table(
             C(false, true, "", "old\r\n", "", 0, "1 Aborting Installation: Error opening temporary variable file;",
               "old\r\n", ""),
             C(false, true, variables, "old\r\n", "", 0, added,
               "old\r\n" +
                   block("SET DEMOHOME=X:\\DEMO\r\nSET NOVALUE\r\nSET PATH=%path%;X:\\DEMO\\BIN\r\nSET LIB=%LIB%\r\n"),
               ""),
             C(true, true, variables, "old\r\n", "", 0,
               "set DEMOHOME=X:\\DEMO;set PATH=C:\\TOOLS;%USERPROFILE%\\BIN;X:\\DEMO\\BIN;announce;"
               "log Modified Registry        - Added Environment Variables;",
               "old\r\n", ""),
             C(false, true, "v A=1", "old", "", 0, added, "old\r\n" + a1, ""),
             C(false, true, "v A=1", "", "", 0, added, a1, ""),
             C(false, true, "v A=1", "a\r\nb\x1A", "", 0, added, "a\r\nb\r\n" + a1 + "\x1A", ""),
             C(false, true, "v A=1", "a\n\x1Ajunk\x1A", "", 0, added, "a\n" + a1 + "\x1Ajunk\x1A", ""),
             C(false, true, "v A=1", "old\r\n", ".$t$", 1, failed, "old\r\n", ""),
             C(false, true, "v A=1", "old\r\n", ".bat", 1, failed, "old\r\n", ""),
             C(false, true, "v A=1", "old\r\n", ".bat", 2, failed, "", "old\r\n"),
             C(true, true, all, "", "", 0,
               skipped + "items 2;log Modified Start Menu      - Added Shortcuts;regedit /s \"X:\\DEMO\\regedit.$t$\";"
                         "log Modified Registry        - Added File Associations;set A=1;announce;"
                         "log Modified Registry        - Added Environment Variables;",
               "", ""),
             C(true, false, all, "", "", 0,
               skipped + "items 2;4 Installation Error: Error running Start Menu script;log Error running Start Menu "
                         "script;regedit /s \"X:\\DEMO\\regedit.$t$\";4 Installation Error: Error running registry "
                         "edit script;log Error running registry edit script;set A=1;announce;"
                         "log Error writing Environment Variables to the registry;",
               "", ""))) {
        ScratchMachine m;
        m.failing = failing;
        m.works = works;
        TheInstallState() = {.installDir = {"X:\\DEMO\\"},
                             .isWindowsNT = nt ? kTrue : kFalse,
                             .installableDriveCount = 2,
                             .installableDrives = {FixedText<2>("C:"), FixedText<2>("D:")}};
        std::ofstream(m.dir / "C.bat", std::ios::binary) << "old\r\n";
        std::ofstream(m.dir / "D.bat", std::ios::binary) << before;
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);)
            ASSERT_TRUE(collectors.at(line[0])(FixedText<1024>(line.substr(2)), m));
        CloseTemporaryFiles();
        m.failingWrites = failingWrites;
        Logical ok = kFalse;
        if (lines == all) ApplyShortcuts(ok, m);  // the only lines with shortcuts and associations
        if (lines == all) ApplyAssociations(ok, m);
        ApplyVariables(ok, m);
        RemoveTemporaryFiles(m);
        EXPECT_EQ(std::tuple(IsTrue(ok), m.trace, m.Read("D.bat"), m.Read("D.$t$"), m.Read("variab.$t$")),
                  std::tuple(true, trace, after, copy, std::string()))
            << testing::PrintToString(std::tuple(lines, before, failing, failingWrites));
    }
}

}  // namespace
