// The system changes, apart from Windows.
#include "system/system_steps_core.h"

#include <algorithm>

#include "driver/install_state.h"
#include "driver/messages.h"
#include "script/script_reader.h"
#include "utilities/owned_file.h"
#include "windows/message_box.h"

namespace {

using File = OwnedFile;

// The temporary files, open for writing from their first entry until the
// run sequence closes them after the pass.
struct CollectedFiles {
    File variables, associations, shortcuts;
};
CollectedFiles& Collected()
{
    static CollectedFiles files;
    return files;
}

// Lines end with CR LF; each is flushed, so that a failed write shows here.
bool WriteLine(std::FILE* f, std::string_view line)
{
    std::string record(line);
    record.append("\r\n");
    return std::fwrite(record.data(), 1, record.size(), f) == record.size() && std::fflush(f) == 0;
}

bool WriteError(SystemServices& s)
{
    s.Tell(kIconStop, kWriteError, kWriteErrorCaption);
    return false;
}

// Makes the file afresh with its header at the first entry of the run.
bool Begin(File& file, int32_t& count, std::string_view name, std::span<const std::string_view> header,
           SystemServices& s)
{
    if (count > 0) return true;
    const std::string path(TemporaryFilePath(name).trimmed());
    s.Delete(path);
    file.reset(s.Open(path, "wb"));
    if (!file) {
        s.Tell(kIconStop, kTemporaryFileNotOpened, kAborting);
        return false;
    }
    for (std::string_view line : header)
        if (!WriteLine(file.get(), line)) return WriteError(s);
    return true;
}

bool Append(File& file, int32_t& count, std::span<const std::string> lines, SystemServices& s)
{
    ++count;
    for (const std::string& line : lines)
        if (!WriteLine(file.get(), line)) return WriteError(s);
    return true;
}

// A line that lacks its fields changes nothing; the pass goes on.
bool Skip(std::string_view keyword, std::span<char> arguments, SystemServices& s)
{
    s.Log(SkippedLineText(keyword, AsView(arguments)));
    return true;
}

// The first installable drive whose AUTOEXEC.BAT can be written; its index,
// or -1.
int32_t FindAutoexec(SystemServices& s)
{
    const InstallState& state = TheInstallState();
    for (int32_t i = 0; i < state.installableDriveCount; ++i) {
        const std::string path = AutoexecPath(state.installableDrives[static_cast<std::size_t>(i)].view());
        // Read-only files are checked by their attribute: an open for writing may succeed regardless.
        if (!s.FileExists(path) || s.ReadOnly(path)) continue;
        if (File f(s.Open(path, "r+b")); f) return i;
    }
    return -1;
}

bool ReadWhole(std::FILE* f, std::string& bytes)
{
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, got);
    return std::ferror(f) == 0;
}

// Writes the whole file and checks that it reached the disk's buffers.
bool WriteWhole(SystemServices& s, const std::string& path, std::string_view bytes)
{
    std::FILE* f = s.Open(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
    return (std::fclose(f) == 0) && written;
}

// AUTOEXEC.BAT with the block put in: before an end-of-file mark, which
// COMMAND.COM stops reading at, and after a line end. inserted: the text put in.
std::string WithBlock(const std::string& autoexec, std::string_view block, std::string& inserted)
{
    const std::size_t mark = std::min(autoexec.find('\x1A'), autoexec.size());
    std::string result = autoexec.substr(0, mark);
    inserted = !result.empty() && result.back() != '\n' ? "\r\n" : "";
    inserted.append(block);
    return result.append(inserted).append(autoexec.substr(mark));
}

// Puts the block into AUTOEXEC.BAT whole or not at all: its old bytes stay
// in a copy beside it until the new file is written, and go back when it is not.
bool AddBlock(SystemServices& s, const std::string& path, std::string_view block)
{
    std::string old;
    if (File f(s.Open(path, "rb")); !f || !ReadWhole(f.get(), old)) return false;
    const std::string copy = path.substr(0, path.size() - 3) + "$t$";
    if (!WriteWhole(s, copy, old)) {
        s.Delete(copy);
        return false;
    }
    std::string inserted;
    const std::string changed = WithBlock(old, block, inserted);
    s.RecordChange(MakeUndoEntry(UndoKind::kAutoexec, path, inserted));
    const bool added = WriteWhole(s, path, changed);
    if (added || WriteWhole(s, path, old)) s.Delete(copy);  // else the copy is all there is
    return added;
}

}  // namespace

bool CollectShortcut(std::span<char> arguments, SystemServices& s)
{
    InstallState& state = TheInstallState();
    File& file = Collected().shortcuts;
    if (!ShortcutHasFields(AsView(arguments))) return Skip("program", arguments, s);
    if (!Begin(file, state.shortcutCount, kShortcutFile, kShortcutHeader, s)) return false;
    const std::string line = ShortcutLine(AsView(arguments));
    return Append(file, state.shortcutCount, {&line, 1}, s);
}

bool CollectAssociation(std::span<char> arguments, SystemServices& s)
{
    InstallState& state = TheInstallState();
    File& file = Collected().associations;
    if (!AssociationHasFields(AsView(arguments))) return Skip("associate", arguments, s);
    const std::string_view header[] = {kRegistryHeader};
    if (!Begin(file, state.associationCount, kAssociationFile, header, s)) return false;
    const std::array<std::string, 3> lines = AssociationLines(AsView(arguments), IsTrue(state.isWin32s));
    return Append(file, state.associationCount, lines, s);
}

bool CollectVariable(std::span<char> arguments, SystemServices& s)
{
    InstallState& state = TheInstallState();
    const bool nt = IsTrue(state.isWindowsNT);
    File& file = Collected().variables;
    if (!VariableHasName(AsView(arguments))) return Skip("variable", arguments, s);
    if (!Begin(file, state.variableCount, kVariableFile, nt ? kVariableHeaderNT : kVariableHeaderDos, s)) return false;
    const std::string line = VariableLine(arguments, nt);
    return Append(file, state.variableCount, {&line, 1}, s);
}

void CloseTemporaryFiles()
{
    CollectedFiles& files = Collected();
    files.variables.reset();
    files.associations.reset();
    files.shortcuts.reset();
}

void ApplyShortcuts(Logical& runOK, SystemServices& s)
{
    runOK = kTrue;
    File file(s.Open(std::string(TemporaryFilePath(kShortcutFile).trimmed()), "rb"));
    if (!file) {
        s.Tell(kIconInformation, kShortcutsFailed, kInstallationError);
        return;
    }
    ScriptLine line;
    for (int i = 0; i < 3; ++i) ReadScriptLine(file.get(), line);
    std::vector<ShortcutEntry> entries;
    ScriptRead read = ScriptRead::kLine;
    while ((read = ReadScriptLine(file.get(), line)) == ScriptRead::kLine)
        entries.push_back(ParseShortcutEntry(line.view()));
    file.reset();
    // The entries before a bad line are added all the same.
    const bool added = s.AddProgramItems(entries);
    if (read == ScriptRead::kError) {
        s.Tell(kIconInformation, kShortcutsNotRead, kInstallationError);
        return;
    }
    // "Added" only for what Program Manager took.
    if (!added) {
        s.Tell(kIconInformation, kShortcutsFailed, kInstallationError);
        s.Log(kShortcutsFailed);
        return;
    }
    s.Log(kLogShortcuts);
}

void ApplyVariables(Logical& runOK, SystemServices& s)
{
    runOK = kTrue;
    const InstallState& state = TheInstallState();
    const bool nt = IsTrue(state.isWindowsNT);
    int32_t drive = -1;
    if (!nt) {
        drive = FindAutoexec(s);
        if (drive < 0) {
            s.Tell(kIconStop, kAutoexecNotFound, kAbortInstallation);
            return;
        }
    }
    const std::string driveName(nt ? "" : state.installableDrives[static_cast<std::size_t>(drive)].view());

    const std::string path(TemporaryFilePath(kVariableFile).trimmed());
    File variables(s.FileExists(path) ? s.Open(path, "rb") : nullptr);
    if (!variables) {
        s.Tell(kIconStop, kVariableFileNotOpened, kAborting);
        return;
    }
    // The AUTOEXEC.BAT block is made whole before the file is touched:
    // never a start marker without its end.
    int32_t year = 0, month = 0, day = 0;
    s.Today(year, month, day);
    std::string block = "\r\n" + StartMarker(year, month, day) + "\r\n";
    ScriptLine line;
    bool allSet = true;
    for (int32_t count = 1;; ++count) {
        const ScriptRead read = ReadScriptLine(variables.get(), line);
        if (read == ScriptRead::kEnd) break;
        if (read == ScriptRead::kError) {
            s.Tell(kIconStop, kReadFileError, kReadFileErrorCaption);
            return;
        }
        if (count <= 3) continue;  // the header
        if (nt) {
            std::string name, value;
            if (!SplitVariable(line.view(), name, value)) continue;  // no "=": nothing to set
            // A value that extends its variable (PATH=%PATH%;...) is built from the value the variable has:
            // written as it stands, the reference would replace the old value rather than extend it.
            // Nothing left of such a value (PATH=%PATH% with no path yet) sets nothing.
            if (RefersToItself(name, value)) {
                std::string old;
                value = ExtendedValue(name, value, s.EnvironmentValue(name, old) ? &old : nullptr);
                if (value.empty()) continue;
            }
            if (!name.empty() && !s.SetEnvironmentValue(name, value)) allSet = false;
        } else {
            block.append(line.trimmed()).append("\r\n");
        }
    }
    if (nt) {
        s.AnnounceEnvironment();
        s.Log(allSet ? kLogVariablesNT : kVariablesFailedNT);
        return;
    }
    block.append(kEndMarker).append("\r\n\r\n");
    if (!AddBlock(s, AutoexecPath(driveName), block)) {
        s.Tell(kIconStop, AutoexecWriteError(driveName), kAbortInstallation);
        s.Log(AutoexecWriteError(driveName));
        return;
    }
    s.Log(AutoexecLogText(driveName));
}

void ApplyAssociations(Logical& runOK, SystemServices& s)
{
    runOK = kTrue;
    const std::string path(TemporaryFilePath(kAssociationFile).trimmed());
    if (!s.FileExists(path)) {
        s.Tell(kIconInformation, kAssociationsFailed, kInstallationError);
        return;
    }
    s.RecordRegistryScript(path);
    // The short form, and quotes: a directory with blanks and no short name stays one argument.
    if (!s.RunRegistryEditor("regedit /s \"" + std::string(TrimmedText(s.ShortPath(path))) + "\"")) {
        s.Tell(kIconInformation, kAssociationsFailed, kInstallationError);
        s.Log(kAssociationsFailed);
        return;
    }
    s.Log(kLogAssociations);
}

void RemoveTemporaryFiles(SystemServices& s)
{
    for (std::string_view name : kTemporaryFiles) {
        const std::string path(TemporaryFilePath(name).trimmed());
        if (s.FileExists(path)) s.Delete(path);
    }
}
