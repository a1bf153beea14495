// The installation's record for the uninstaller.
#include <windows.h>

#include "driver/change_record.h"

#include <cstdio>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "driver/install_state.h"
#include "system/file_helpers.h"
#include "system/undo_system.h"
#include "utilities/owned_file.h"

namespace {

struct ChangeRecord {
    OwnedFile file;
    std::vector<UndoEntry> pending;
    std::set<std::string> installedFiles;  // of earlier installations, letter case folded
    std::set<std::pair<std::string, std::string>> madeKeys;
    std::map<std::tuple<std::string, std::string, std::string>, RegistryData> setValues;
};

ChangeRecord& TheRecord()
{
    static ChangeRecord record;
    return record;
}

std::string Folded(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void Write(std::FILE* f, const std::string& line)
{
    const std::string record = line + "\r\n";
    std::fwrite(record.data(), 1, record.size(), f);
    std::fflush(f);
}

std::string InstallDirectory() { return std::string(TheInstallState().installDir.trimmed()); }

// An earlier installation's record: its files are this one's to replace.
// False when a file of that name is there and is no record.
bool ReadEarlier(const std::string& path, bool& found)
{
    OwnedFile f(std::fopen(path.c_str(), "rb"));
    found = f != nullptr;
    if (!f) return true;
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0;) text.append(buffer, got);
    if (!text.starts_with(kUndoRecordHeader)) return false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (line.ends_with('\r')) line.pop_back();
        UndoEntry entry;
        if (ParseUndoEntry(line, entry) && entry.kind == UndoKind::kFile)
            TheRecord().installedFiles.insert(Folded(entry.path));
        at = end + 1;
    }
    return true;
}

// The uninstaller beside setup.exe goes into the installation directory.
bool CopyUninstaller(std::string& installed)
{
    const InstallState& state = TheInstallState();
    const std::string source =
        std::string(state.sourceDir.view().substr(0, static_cast<std::size_t>(state.sourceDirLength))) +
        std::string(kUninstallerName);
    installed = InstallDirectory() + std::string(kUninstallerName);
    Logical exists = kFalse;
    FileExists(source, exists);
    if (!IsTrue(exists)) return false;
    int32_t status = -1;
    int64_t size = 0;
    uint32_t failure = 0;
    CopyExpanded(source.c_str(), installed.c_str(), status, size, failure);
    return status == 0;
}

void Register(const std::string& uninstaller)
{
    const InstallState& state = TheInstallState();
    std::string name(state.generalTitle.trimmed());
    for (char& c : name)
        if (c == '\\') c = '_';  // a key's name has none
    if (name.empty()) name = "Installation";
    const std::string key = std::string(kUninstallKey) + "\\" + name;
    const std::pair<const char*, RegistryData> values[] = {
        {"DisplayName", StringData(REG_SZ, name)},
        {"UninstallString", StringData(REG_SZ, '"' + uninstaller + '"')},
    };
    for (const auto& [value, data] : values) {
        RecordRegistryValue("HKLM", key, value, data);
        // Without the right to write there (a user on the NT family) the programs list goes without it.
        if (!WriteRegistryValue("HKLM", key, value, data)) return;
    }
}

}  // namespace

void RecordChange(const UndoEntry& entry)
{
    ChangeRecord& record = TheRecord();
    if (record.file)
        Write(record.file.get(), FormatUndoEntry(entry));
    else
        record.pending.push_back(entry);
}

void RecordCopiedFile(const std::string& path, bool replaced)
{
    UndoEntry entry = MakeUndoEntry(UndoKind::kFile, path);
    if (replaced && !TheRecord().installedFiles.contains(Folded(path))) entry.kind = UndoKind::kReplaced;
    if (entry.kind == UndoKind::kFile && !FileState(path, entry.size, entry.time)) return;
    RecordChange(entry);
}

void RecordRegistryValue(const std::string& root, const std::string& key, const std::string& name,
                         const RegistryData& value)
{
    ChangeRecord& record = TheRecord();
    // The keys above it, from the top: each one that is not there is made.
    for (std::size_t slash = 0; slash != std::string::npos;) {
        slash = key.find('\\', slash + 1);
        const std::string above = key.substr(0, slash);
        if (!record.madeKeys.contains({root, Folded(above)}) && !RegistryKeyExists(root, above)) {
            record.madeKeys.insert({root, Folded(above)});
            RecordChange(MakeUndoEntry(UndoKind::kKey, above, {}, root));
        }
    }
    const auto id = std::make_tuple(root, Folded(key), Folded(name));
    const auto earlier = record.setValues.find(id);
    UndoEntry entry = MakeUndoEntry(UndoKind::kValue, key, name, root);
    entry.before = earlier != record.setValues.end() ? earlier->second : ReadRegistryValue(root, key, name);
    entry.after = value;
    record.setValues[id] = value;
    RecordChange(entry);
}

void OpenChangeRecord()
{
    ChangeRecord& record = TheRecord();
    const std::string path = InstallDirectory() + std::string(kUndoRecordName);
    bool adding = false;
    if (path.size() > 261 || !ReadEarlier(path, adding)) return;  // somebody else's file of that name stays as it is
    record.file.reset(std::fopen(path.c_str(), adding ? "ab" : "wb"));
    if (!record.file) return;
    if (!adding) Write(record.file.get(), std::string(kUndoRecordHeader));
    for (const UndoEntry& entry : record.pending) Write(record.file.get(), FormatUndoEntry(entry));
    record.pending.clear();
    std::string uninstaller;
    if (!CopyUninstaller(uninstaller)) return;
    RecordChange(MakeUndoEntry(UndoKind::kSelf, uninstaller));
    if (!IsTrue(TheInstallState().isWin32s)) Register(uninstaller);
}

void CloseChangeRecord() { TheRecord().file.reset(); }
