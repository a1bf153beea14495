// The system changes, apart from Windows.
#include "system/system_steps_core.h"


#include "driver/install_state.h"
#include "script/script_reader.h"
#include "utilities/owned_file.h"
#include "windows/message_box.h"

namespace {

constexpr std::string_view kAborting = "Aborting Installation";
constexpr std::string_view kInstallationError = "Installation Error";

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
    s.Tell(kIconStop, "Write error", "File I/O Error");
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
        s.Tell(kIconStop, "Error opening a temporary file", kAborting);
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

// The first installable drive whose AUTOEXEC.BAT can be written; its index,
// or -1.
int32_t OpenAutoexec(File& autoexec, SystemServices& s)
{
    const InstallState& state = TheInstallState();
    for (int32_t i = 0; i < state.installableDriveCount; ++i) {
        const std::string path = AutoexecPath(state.installableDrives[static_cast<std::size_t>(i)].view());
        // Read-only files are checked by their attribute: an open for writing may succeed regardless.
        if (!s.FileExists(path) || s.ReadOnly(path)) continue;
        autoexec.reset(s.Open(path, "ab"));
        if (autoexec) return i;
    }
    return -1;
}

}  // namespace

bool CollectShortcut(std::span<char> arguments, SystemServices& s)
{
    InstallState& state = TheInstallState();
    File& file = Collected().shortcuts;
    if (!Begin(file, state.shortcutCount, kShortcutFile, kShortcutHeader, s)) return false;
    const std::string line = ShortcutLine(AsView(arguments));
    return Append(file, state.shortcutCount, {&line, 1}, s);
}

bool CollectAssociation(std::span<char> arguments, SystemServices& s)
{
    InstallState& state = TheInstallState();
    File& file = Collected().associations;
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
        s.Tell(kIconInformation, "Error running Start Menu script", kInstallationError);
        return;
    }
    ScriptLine line;
    for (int i = 0; i < 3; ++i) ReadScriptLine(file.get(), line);
    for (;;) {
        switch (ReadScriptLine(file.get(), line)) {
        case ScriptRead::kEnd:
            file.reset();
            s.Log(kLogShortcuts);
            return;
        case ScriptRead::kError: s.Tell(kIconInformation, "Error reading Start Menu script", kInstallationError); return;
        case ScriptRead::kLine: s.AddProgramItem(ParseShortcutEntry(line.view())); break;
        }
    }
}

void ApplyVariables(Logical& runOK, SystemServices& s)
{
    runOK = kTrue;
    const InstallState& state = TheInstallState();
    const bool nt = IsTrue(state.isWindowsNT);
    File autoexec;
    int32_t drive = -1;
    if (!nt) {
        drive = OpenAutoexec(autoexec, s);
        if (drive < 0) {
            s.Tell(kIconStop, "Cannot find the system AUTOEXEC.BAT", "Abort Installation");
            return;
        }
    }
    const std::string driveName(nt ? "" : state.installableDrives[static_cast<std::size_t>(drive)].view());
    auto writeFailed = [&] { s.Tell(kIconStop, AutoexecWriteError(driveName), "Abort Installation"); };

    // The variables are opened before the block is begun: a start marker
    // without its end would stay in AUTOEXEC.BAT for good.
    const std::string path(TemporaryFilePath(kVariableFile).trimmed());
    File variables(s.FileExists(path) ? s.Open(path, "rb") : nullptr);
    if (!variables) {
        s.Tell(kIconStop, "Error opening temporary variable file", kAborting);
        return;
    }
    if (!nt) {
        int32_t year = 0, month = 0, day = 0;
        s.Today(year, month, day);
        if (!WriteLine(autoexec.get(), "") || !WriteLine(autoexec.get(), StartMarker(year, month, day)))
            return writeFailed();
    }
    ScriptLine line;
    for (int32_t count = 1;; ++count) {
        const ScriptRead read = ReadScriptLine(variables.get(), line);
        if (read == ScriptRead::kEnd) break;
        if (read == ScriptRead::kError) {
            s.Tell(kIconStop, "Read file error", "File Error");
            return;
        }
        if (count <= 3) continue;  // the header
        if (nt) {
            std::string name, value;
            if (SplitVariable(line.view(), name, value)) s.SetEnvironmentValue(name, value);
        } else if (!WriteLine(autoexec.get(), line.trimmed())) {
            return writeFailed();
        }
    }
    if (nt) {
        s.AnnounceEnvironment();
        s.Log(kLogVariablesNT);
        return;
    }
    if (!WriteLine(autoexec.get(), kEndMarker) || !WriteLine(autoexec.get(), "")) return writeFailed();
    if (std::fclose(autoexec.release()) != 0) return writeFailed();
    s.Log(AutoexecLogText(driveName));
}

void ApplyAssociations(Logical& runOK, SystemServices& s)
{
    runOK = kTrue;
    const std::string path(TemporaryFilePath(kAssociationFile).trimmed());
    if (!s.FileExists(path)) {
        s.Tell(kIconInformation, "Error running registry edit script", kInstallationError);
        return;
    }
    // The short form has no blanks for the editor's command line to trip over.
    s.RunRegistryEditor("regedit /s " + std::string(TrimmedText(s.ShortPath(path))));
    s.Log(kLogAssociations);
}

void RemoveTemporaryFiles(SystemServices& s)
{
    for (std::string_view name : kTemporaryFiles) {
        const std::string path(TemporaryFilePath(name).trimmed());
        if (s.FileExists(path)) s.Delete(path);
    }
}
