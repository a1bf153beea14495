// The system changes: the lines they write and send, and the steps on scratch files.
#include <unistd.h>

#include "driver/install_state.h"
#include "system/system_steps_core.h"
#include "unit_test.h"

namespace {

using namespace std;

TEST(SystemLines, AssociationsCommandsGroupsAndValues)
{
    TheInstallState() = InstallState{};
    TheInstallState().installDir.assign("C:\\DEMO\\");
    const string r = "HKEY_CLASSES_ROOT\\";
    EXPECT_EQ(AssociationLines("  DEM | <defdir> |x|", false),
              (array{r + ".DEM = DEMfile", r + "DEMfile = <defdir>", r + "DEMfile\\shell\\open\\command = \"x\" %1"}));

    // The group table keeps within its slots.
    string reply = "Main\r\nDemo Group\r\n" + string(260, 'L') + "\r\n" + string(259, 'M') + "\n";
    for (int i = 0; i < 1000; ++i) reply += "G" + to_string(i) + "\r\n";
    GroupNameTable groups;
    groups.Fill(reply.data());
    EXPECT_EQ(GroupCommand(groups, "DEMO group") + GroupCommand(groups, "G997"),
              "[ShowGroup(DEMO group,1)][CreateGroup(G997)]");
    EXPECT_TRUE(groups.Contains(string(259, 'm')) && groups.Contains("G996") && !groups.Contains(string(260, 'L')));

    // Without an old value a reference drops out with a separator next to it.
    EXPECT_EQ(ExtendedValue("Path", "%PATH%;C:\\A", nullptr) + '|' + ExtendedValue("Path", "C:\\A;%path%", nullptr),
              "C:\\A|C:\\A");
}

// Files are named by their whole paths (X:\DEMO\variab.$t$, D:\autoexec.bat) in a scratch directory, the current one
// while the machine lasts; C:'s AUTOEXEC.BAT is read-only. The trace notes the rest. The next `failingWrites` files
// made afresh whose names end in `failing` are emptied and then fail as on a full disk.
struct ScratchMachine final : SystemServices {
    filesystem::path home = filesystem::current_path(),
                     dir = filesystem::temp_directory_path() / ("steps-" + to_string(getpid()));
    string trace, failing;
    int failingWrites = 0;
    bool works = true;  // Program Manager, the registry editor and the registry
    ScratchMachine()
    {
        filesystem::create_directories(dir);
        filesystem::current_path(dir);
    }
    ~ScratchMachine()
    {
        filesystem::current_path(home);
        filesystem::remove_all(dir);
    }
    static string Read(const string& name) { return (stringstream() << ifstream(name, ios::binary).rdbuf()).str(); }
    FILE* Open(const string& p, const char* mode) override
    {
        if (S(mode) != "wb" || !p.ends_with(failing) || failingWrites-- <= 0) return fopen(p.c_str(), mode);
        ofstream(p, ios::trunc);
        return fopen("/dev/full", "wb");
    }
    void Delete(string_view p) override { filesystem::remove(p); }
    bool FileExists(string_view p) override { return filesystem::exists(p); }
    bool ReadOnly(string_view p) override { return p[0] == 'C'; }
    void Tell(int32_t i, string_view t, string_view c) override { Note(to_string(i) + " " + S(c) + ": " + S(t)); }
    void Log(string_view text) override { Note("log " + S(text)); }
    void Today(int32_t& y, int32_t& m, int32_t& d) override { tie(y, m, d) = tuple(2026, 3, 9); }
    bool AddProgramItems(const vector<ShortcutEntry>& e) override { return Note("items " + to_string(e.size())); }
    bool SetEnvironmentValue(string_view n, string_view v) override { return Note("set " + S(n) + "=" + S(v)); }
    bool EnvironmentValue(string_view n, string& v) override
    {
        return n == "PATH" && !(v = "C:\\TOOLS;%USERPROFILE%\\BIN").empty();
    }
    void AnnounceEnvironment() override { Note("announce"); }
    string ShortPath(string_view p) override { return S(p); }
    bool RunRegistryEditor(string_view line) override { return Note(S(line)); }
    bool Note(const string& step)
    {
        trace += step + ";";
        return works;
    }
};

// Lines collected ("a", "p" or "v" and the arguments of an associate, program or variable line), then the
// shortcuts, associations and variables applied (the variables always, the others when collected) on Windows NT or an
// earlier system whose AUTOEXEC.BAT on D: holds `autoexec` (C:'s: "old"): the trace, and after "|" each, D:'s
// AUTOEXEC.BAT, its copy and the variables' temporary file, once cleaned up.
string Steps(bool nt, bool works, const string& lines, const string& autoexec, const string& failing = "",
             int failingWrites = 0)
{
    ScratchMachine m;
    m.failing = failing;
    m.works = works;
    TheInstallState() = {.installDir = {"X:\\DEMO\\"},
                         .isWindowsNT = nt ? kTrue : kFalse,
                         .installableDriveCount = 2,
                         .installableDrives = {FixedText<2>("C:"), FixedText<2>("D:")}};
    ofstream("C:\\autoexec.bat", ios::binary) << "old\r\n";
    ofstream("D:\\autoexec.bat", ios::binary) << autoexec;
    using Collector = bool (*)(span<char>, SystemServices&);
    const map<char, Collector> collectors = {{'a', CollectAssociation}, {'p', CollectShortcut}, {'v', CollectVariable}};
    istringstream in(lines);
    for (string line; getline(in, line);) collectors.at(line[0])(FixedText<1024>(line.substr(2)), m);
    CloseTemporaryFiles();
    m.failingWrites = failingWrites;
    Logical ok = kFalse;
    if (nt) ApplyShortcuts(ok, m);  // the only lines with shortcuts and associations are NT's
    if (nt) ApplyAssociations(ok, m);
    ApplyVariables(ok, m);
    RemoveTemporaryFiles(m);
    return m.trace + '|' + m.Read("D:\\autoexec.bat") + '|' + m.Read("D:\\autoexec.$t$") + '|' +
           m.Read("X:\\DEMO\\variab.$t$");
}

// The log says "Added" only for what Program Manager, the registry editor and the registry took; the editor's script
// is quoted. Lines without their fields (an associate line with blanks for bars would associate every file without
// an extension) are logged and change nothing. A value that refers to its variable extends it; nothing left of it
// sets nothing. The AUTOEXEC.BAT block goes before an end-of-file mark and after a line end; a write that fails, of
// the copy or of the new file, leaves the file as it was.
TEST(SystemSteps, TheLogSaysWhatWasDone)
{
    const string block = "\r\nrem Start of variables added by R.L.V. Installer on 09 Mar 2026" + string(17, ' ') +
                         "\r\nSET A=1\r\nrem End of variables added by R.L.V. Installer\r\n\r\n";
    const string added = "log Modified D:\\AUTOEXEC.BAT - Added Environment Variables;|";
    const string failed =
        "1 Abort Installation: Error writing to D:\\AUTOEXEC.BAT;log Error writing to D:\\AUTOEXEC.BAT;|old\r\n||";
    EXPECT_EQ(Steps(false, true, "v A=1", "a\n\x1Ajunk\x1A"), added + "a\n" + block + "\x1Ajunk\x1A||");
    EXPECT_EQ(Steps(false, true, "v A=1", "old\r\n", "$t$", 1), failed);
    EXPECT_EQ(Steps(false, true, "v A=1", "old\r\n", "bat", 1), failed);
    const string all =
        "a  . |Doc|x|\np Group| |Demo|\np Demo|<defdir>DEMO.EXE|Demo|\np Demo|<defdir>HELP.EXE|Help|\n"
        "a .dem|Demo|<defdir>DEMO.EXE|\nv DEMOHOME=<defdir>\nv NOVALUE\nv PATH=%path%;<defdir>\\BIN\nv LIB=%LIB%";
    const string steps =
        "log ** Skipped, fields missing: associate  . |Doc|x|;log ** Skipped, fields missing: program "
        "Group| |Demo|;items 2;@regedit /s \"X:\\DEMO\\regedit.$t$\";@set DEMOHOME=X:\\DEMO;set PATH=C:\\TOOLS;"
        "%USERPROFILE%\\BIN;X:\\DEMO\\BIN;announce;@|old\r\n||";
    auto told = [](string text) { return "4 Installation Error: " + text + ";log " + text + ';'; };
    EXPECT_EQ(Steps(true, false, all, "old\r\n"),
              Filled(steps, {told("Error running Start Menu script"), told("Error running registry edit script"),
                             "log Error writing Environment Variables to the registry;"}));
}

}  // namespace
