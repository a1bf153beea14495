// The record of an installation and what the uninstaller makes of it.
#include <functional>
#include <set>

#include "system/undo_record.h"
#include "undo_core.h"
#include "unit_test.h"

namespace {

using namespace std;

TEST(UndoRecord, EntriesAreEscapedAndBadLinesRefused)
{
    UndoEntry file = MakeUndoEntry(UndoKind::kFile, "C:\\DEMO\\DEMO.EXE");
    file.size = 121960;
    file.time = 0x01DD860EB65D8328;
    UndoEntry value = MakeUndoEntry(UndoKind::kValue, "a\tkey\\x41", "", "HKCU");
    value.after = {true, 3, string("\0\x1f\xff\\", 4)};
    EXPECT_EQ(
        FormatUndoEntry(file) + "|" + FormatUndoEntry(value),
        "F\t121960\t01DD860EB65D8328\tC:\\\\DEMO\\\\DEMO.EXE|V\tHKCU\ta\\x09key\\\\x41\t\t-\t3:\\x00\\x1F\xff\\\\");
    for (const char* bad : {"", "X\tC:", "D", "D\t", "D\tC:\tmore", "D\tC:\\x4", "D\tC:\\xZZ", "D\tC:\\A",
                            "DD\tC:", "F\t12\tZZ\tC:", "F\t1\t01DD860EB65D832\tC:", "F\t-1\t01DD860EB65D8328\tC:",
                            "V\tHKCR\tk\tn\t-", "V\tHKCR\tk\tn\t1x:a\t-", "V\tHKCR\tk\tn\tq\t-"}) {
        UndoEntry read;
        EXPECT_FALSE(ParseUndoEntry(bad, read)) << bad;
    }
    vector<UndoEntry> read;
    int badLine = -1;
    // The line that is not an entry; not even the first line: the first.
    for (const auto& [text, line] : {pair("UNINST 2\r\nD\tC:\r\n", 1), {"", 1}, {"UNINST 1\r\nD\tC:\r\nD C:\r\n", 3}})
        EXPECT_TRUE(!ReadUndoRecord(text, read, badLine) && badLine == line) << text;
}

TEST(UndoRecord, TheBlockGoesOnlyWithItsMarkers)
{
    const string start = "rem Start of variables added by R.L.V. Installer on 07 Dec 2026" + string(17, ' ');
    const string end = "rem End of variables added by R.L.V. Installer";
    const string block = "\r\n" + start + "\r\nSET A=1\r\n" + end + "\r\n\r\n";
    struct Case {
        string autoexec, text;
        BlockRemoval result;
        string left;
    };
    const Case cases[] = {
        // Changed between the markers: the marked lines go, the lines around them stay.
        {"A\r\n\r\n" + start + "\r\nSET A=2\r\n" + end + "\r\nB\r\n", block, BlockRemoval::kBetweenMarkers,
         "A\r\n\r\nB\r\n"},
        {"A\r\n" + start + "\r\nSET A=1\r\n", block, BlockRemoval::kMissing, "A\r\n" + start + "\r\nSET A=1\r\n"},
        {end + "\r\n" + start + "\r\n", block, BlockRemoval::kMissing, end + "\r\n" + start + "\r\n"},
        {"rem Start of variables added by R.L.V. Installer on 01 Jan 1999\r\n" + end + "\r\n", block,
         BlockRemoval::kMissing, "rem Start of variables added by R.L.V. Installer on 01 Jan 1999\r\n" + end + "\r\n"},
    };
    for (const Case& c : cases) {
        string autoexec = c.autoexec;
        EXPECT_EQ(RemoveBlock(autoexec, c.text), c.result) << c.autoexec;
        EXPECT_EQ(autoexec, c.left);
    }
}

// A machine in memory: files with size and time, directories, registry values and keys, Program Manager groups.
struct Machine final : UndoServices {
    map<string, pair<uint64_t, uint64_t>> files;
    set<string> directories, keys, failing;
    map<string, RegistryData> values;
    map<string, string> texts;
    map<string, set<string>> groups;
    Removal self = Removal::kNow;
    vector<string> done;

    bool Fails(const string& what) { return failing.contains(what) || (done.push_back(what), false); }
    bool FileState(const string& path, uint64_t& size, uint64_t& time) override
    {
        if (!files.contains(path)) return false;
        tie(size, time) = files[path];
        return true;
    }
    bool DirectoryExists(const string& path) override { return directories.contains(path); }
    bool DirectoryEmpty(const string& path, const string& but) override
    {
        for (const auto& [file, state] : files)
            if (file.starts_with(path + "\\") && file != path + "\\" + but) return false;
        return true;
    }
    bool RemoveFile(const string& path) override { return !Fails("del " + path) && files.erase(path); }
    bool RemoveEmptyDirectory(const string& path) override { return !Fails("rd " + path) && directories.erase(path); }
    bool KeyExists(const string& root, const string& key) override { return keys.contains(root + key); }
    bool KeyEmpty(const string& root, const string& key) override
    {
        for (const auto& [name, data] : values)
            if (name.starts_with(root + key + "|")) return false;
        return true;
    }
    bool DeleteKey(const string& root, const string& key) override
    {
        return !Fails("delkey " + root + key) && keys.erase(root + key);
    }
    RegistryData ReadValue(const string& root, const string& key, const string& name) override
    {
        return values.contains(root + key + "|" + name) ? values[root + key + "|" + name] : RegistryData{};
    }
    bool WriteValue(const string& root, const string& key, const string& name, const RegistryData& data) override
    {
        if (Fails("set " + root + key + "|" + name)) return false;
        data.present ? void(values[root + key + "|" + name] = data) : void(values.erase(root + key + "|" + name));
        return true;
    }
    bool ReadWhole(const string& path, string& bytes) override
    {
        return texts.contains(path) && (bytes = texts[path], true);
    }
    bool WriteWhole(const string& path, const string& bytes) override
    {
        return !Fails("write " + path) && (texts[path] = bytes, true);
    }
    bool DeleteItem(const string& group, const string& item) override
    {
        return !Fails("delitem " + item) && groups[group].erase(item);
    }
    Group GroupState(const string& group) override
    {
        return !groups.contains(group) ? Group::kGone : groups[group].empty() ? Group::kEmpty : Group::kItems;
    }
    bool DeleteGroup(const string& group) override { return !Fails("delgroup " + group) && groups.erase(group); }
    Removal RemoveSelf(const string& path) override
    {
        if (self == Removal::kNow) files.erase(path);
        return self;
    }
    bool RemoveDirectoryAtRestart(const string& path) override { return !Fails("later " + path); }
};

TEST(Undo, NewestFirstOnlyWhatIsAsInstalled)
{
    const string block =
        "\r\nrem Start of variables added by R.L.V. Installer on 07 Dec 2026\r\nSET A=1\r\n"
        "rem End of variables added by R.L.V. Installer\r\n\r\n";
    auto entry = [](UndoKind kind, string path, string name = {}, string root = {}) {
        return MakeUndoEntry(kind, move(path), move(name), move(root));
    };
    vector<UndoEntry> record = {entry(UndoKind::kDirectory, "C:\\D"),
                                entry(UndoKind::kSelf, "C:\\D\\UNINST.EXE"),
                                entry(UndoKind::kFile, "C:\\D\\A.EXE"),
                                entry(UndoKind::kReplaced, "C:\\D\\R.DLL"),
                                entry(UndoKind::kKey, ".d", "", "HKCR"),
                                entry(UndoKind::kValue, ".d", "", "HKCR"),
                                entry(UndoKind::kValue, "Environment", "PATH", "HKCU"),
                                entry(UndoKind::kAutoexec, "C:\\AUTOEXEC.BAT", block),
                                entry(UndoKind::kGroup, "Demo"),
                                entry(UndoKind::kItem, "Demo", "Demo App"),
                                entry(UndoKind::kSelf, "C:\\D\\UNINST.EXE")};  // installed again
    record[2].size = 5;
    record[2].time = 9;
    record[5].after = StringData(1, "dfile");
    record[6].before = StringData(2, "C:\\OLD");
    record[6].after = StringData(2, "C:\\D;C:\\OLD");
    // The machine as the installation left it.
    auto installed = [&] {
        Machine m;
        m.files = {{"C:\\D\\A.EXE", {5, 9}},
                   {"C:\\D\\R.DLL", {1, 1}},
                   {"C:\\D\\INSTALL.LOG", {1, 1}},
                   {"C:\\D\\UNINST.DAT", {1, 1}},
                   {"C:\\D\\UNINST.EXE", {1, 1}}};
        m.directories = {"C:\\D"};
        m.keys = {"HKCR.d"};
        m.values = {{"HKCR.d|", record[5].after}, {"HKCUEnvironment|PATH", record[6].after}};
        m.texts = {{"C:\\AUTOEXEC.BAT", "@ECHO OFF\r\n" + block}};
        m.groups = {{"Demo", {"Demo App"}}};
        return m;
    };
    struct Case {
        const char* what;
        function<void(Machine&)> change;
        string lines;  // what it says, a line each
        string done;   // what it changed, in that order
    };
    const Case cases[] = {
        {"as installed: all goes but the file that was there before", [](Machine& m) { m.files.erase("C:\\D\\R.DLL"); },
         "Removed: Start menu item Demo\\Demo App|Removed: Start menu group Demo|Removed: the variables in "
         "C:\\AUTOEXEC.BAT|Put back: registry value HKCU\\Environment\\PATH|Removed: registry value HKCR\\.d "
         "(default)|Removed: registry key HKCR\\.d|Kept: file C:\\D\\R.DLL (it was there before the "
         "installation)|Removed: file C:\\D\\A.EXE|Removed: the installation log C:\\D\\INSTALL.LOG|Removed: the "
         "installation record C:\\D\\UNINST.DAT|Removed: the uninstaller C:\\D\\UNINST.EXE|Removed: directory C:\\D",
         "delitem Demo App,delgroup Demo,write C:\\AUTOEXEC.BAT,set HKCUEnvironment|PATH,set HKCR.d|,delkey HKCR.d,del "
         "C:\\D\\A.EXE,del C:\\D\\INSTALL.LOG,del C:\\D\\UNINST.DAT,rd C:\\D"},
        {"changed since: the file, the value, the block's markers, a group with items of others; gone already",
         [](Machine& m) {
             m.files["C:\\D\\A.EXE"] = {5, 10};
             m.values["HKCUEnvironment|PATH"] = StringData(2, "C:\\NEW");
             m.values["HKCR.d|"] = StringData(1, "dfile");
             m.values["HKCR.d|other"] = StringData(1, "x");
             m.texts["C:\\AUTOEXEC.BAT"] = "@ECHO OFF\r\n";
             m.groups["Demo"].insert("Other");
             m.self = UndoServices::Removal::kAtRestart;
         },
         "Removed: Start menu item Demo\\Demo App|Kept: Start menu group Demo (it may hold items the installation did "
         "not add)|Kept: the variables in C:\\AUTOEXEC.BAT (their markers are not there as the installation wrote "
         "them)|Kept: registry value HKCU\\Environment\\PATH (changed since the installation)|Removed: registry value "
         "HKCR\\.d (default)|Kept: registry key HKCR\\.d (it holds values or keys the installation did not "
         "make)|Kept: file C:\\D\\R.DLL (it was there before the installation)|Kept: file C:\\D\\A.EXE (changed since "
         "the installation)|Removed: the installation log C:\\D\\INSTALL.LOG|Removed: the installation record "
         "C:\\D\\UNINST.DAT|Removed at the next start of Windows: the uninstaller C:\\D\\UNINST.EXE|Kept: directory "
         "C:\\D (it holds files the installation did not make)",
         "delitem Demo App,set HKCR.d|,del C:\\D\\INSTALL.LOG,del C:\\D\\UNINST.DAT"},
        {"only the running uninstaller left: its directory goes at the next start",
         [](Machine& m) {
             m.files.erase("C:\\D\\R.DLL");
             m.self = UndoServices::Removal::kAtRestart;
             m.failing = {"delitem Demo App"};
         },
         "",
         "write C:\\AUTOEXEC.BAT,set HKCUEnvironment|PATH,set HKCR.d|,delkey HKCR.d,del C:\\D\\A.EXE,del "
         "C:\\D\\INSTALL.LOG,del C:\\D\\UNINST.DAT,later C:\\D"},
        {"a failure keeps the log, the record and the uninstaller for another try",
         [](Machine& m) { m.failing = {"write C:\\AUTOEXEC.BAT"}; }, "",
         "delitem Demo App,delgroup Demo,set HKCUEnvironment|PATH,set HKCR.d|,delkey HKCR.d,del C:\\D\\A.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m = installed();
        c.change(m);
        vector<string> lines;
        for (const UndoLine& line : Undo(record, "C:\\D\\INSTALL.LOG", "C:\\D\\UNINST.DAT", false, m))
            lines.push_back(UndoLineText(line));
        if (!c.lines.empty()) EXPECT_EQ(Join(lines, "|"), c.lines);
        EXPECT_EQ(Join(m.done, ","), c.done) << Join(lines, "\n");
    }
}

}  // namespace
