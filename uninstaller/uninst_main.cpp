// uninst.exe: undoes the installation recorded in UNINST.DAT beside it.
//   UNINST.EXE            shows what it will remove, asks, removes, and lists what it left and why
//   UNINST.EXE /dry-run   prints what it would do and changes nothing
// Exit status: 0 done (or nothing asked), 1 something could not be undone or the user said No, 2 no usable record.
#include <windows.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "startup/startup.h"
#include "system/system_lines.h"
#include "system/system_steps.h"
#include "system/undo_system.h"
#include "undo_core.h"
#include "utilities/later_calls.h"
#include "utilities/os.h"
#include "utilities/owned_file.h"
#include "windows/dialogs.h"
#include "windows/message_box.h"

namespace {

constexpr std::string_view kCaption = "Uninstall";
constexpr std::size_t kBoxText = 3800;  // a box holds 4096 characters; the rest says how many more

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    OwnedFile f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0;) bytes.append(buffer, got);
    return std::ferror(f.get()) == 0;
}

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsEmptyDirectory(const std::string& path, const std::string& but = {})
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + (path.ends_with('\\') ? "*" : "\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool empty = true;
    do {
        const std::string_view name = found.cFileName;
        empty = name == "." || name == ".." || (!but.empty() && lstrcmpiA(found.cFileName, but.c_str()) == 0);
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

struct WindowsUndoServices final : UndoServices {
    bool FileState(const std::string& path, uint64_t& size, uint64_t& time) override
    {
        return ::FileState(path, size, time);
    }
    bool DirectoryExists(const std::string& path) override { return IsDirectory(path); }
    bool DirectoryEmpty(const std::string& path, const std::string& but) override
    {
        return IsEmptyDirectory(path, but);
    }
    bool RemoveFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }
    bool RemoveEmptyDirectory(const std::string& path) override { return ::RemoveDirectoryA(path.c_str()) != 0; }
    bool KeyExists(const std::string& root, const std::string& key) override { return RegistryKeyExists(root, key); }
    bool KeyEmpty(const std::string& root, const std::string& key) override { return RegistryKeyEmpty(root, key); }
    bool DeleteKey(const std::string& root, const std::string& key) override { return DeleteRegistryKey(root, key); }
    RegistryData ReadValue(const std::string& root, const std::string& key, const std::string& name) override
    {
        return ReadRegistryValue(root, key, name);
    }
    bool WriteValue(const std::string& root, const std::string& key, const std::string& name,
                    const RegistryData& data) override
    {
        return WriteRegistryValue(root, key, name, data);
    }
    bool ReadWhole(const std::string& path, std::string& bytes) override { return ReadFileBytes(path, bytes); }

    // The new text goes to a fresh file beside the old one and takes its place only once whole.
    bool WriteWhole(const std::string& path, const std::string& bytes) override
    {
        const std::string directory = path.substr(0, path.rfind('\\') + 1);
        char temporary[MAX_PATH] = {};
        if (!GetTempFileNameA(directory.c_str(), "mrw", 0, temporary)) return false;
        bool written = false;
        if (OwnedFile f(std::fopen(temporary, "wb")); f)
            written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && std::fflush(f.get()) == 0;
        if (written && MoveReplacing(temporary, path.c_str())) return true;
        DeleteFileA(temporary);
        return false;
    }

    bool DeleteItem(const std::string& group, const std::string& item) override
    {
        return ProgramManagerExecute(ShowGroupCommand(group) + "[DeleteItem(\"" + item + "\")]");
    }

    // Program Manager answers a group's name with a line for the group and
    // one for each item. Where it does not (the Start menu of later
    // systems), the group is a folder of the Start menu's programs.
    Group GroupState(const std::string& group) override
    {
        if (std::string reply; ProgramManagerRequest(group, reply)) {
            const std::size_t firstEnd = reply.find('\n');
            const bool empty =
                firstEnd == std::string::npos || reply.find_first_not_of("\r\n", firstEnd) == std::string::npos;
            return empty ? Group::kEmpty : Group::kItems;
        }
        const RegistryData programs = ReadRegistryValue(
            "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs");
        if (!programs.present || programs.type != REG_SZ) return Group::kItems;
        const std::string folder = std::string(programs.bytes.c_str()) + "\\" + group;
        if (!IsDirectory(folder)) return Group::kGone;
        return IsEmptyDirectory(folder) ? Group::kEmpty : Group::kItems;
    }

    bool DeleteGroup(const std::string& group) override
    {
        return ProgramManagerExecute("[DeleteGroup(" + group + ")]");
    }

    Removal RemoveSelf(const std::string& path) override
    {
        if (DeleteFileA(path.c_str())) return Removal::kNow;
        return RemoveAtRestart(path.c_str(), false) ? Removal::kAtRestart : Removal::kNot;
    }
    bool RemoveDirectoryAtRestart(const std::string& path) override { return RemoveAtRestart(path.c_str(), true); }
};

// The lines in one box, as many as fit.
std::string BoxText(std::string text, const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (text.size() + lines[i].size() > kBoxText) {
            text.append("\r... and ").append(std::to_string(lines.size() - i)).append(" more");
            break;
        }
        text.append("\r").append(lines[i]);
    }
    return text;
}

std::vector<std::string> Texts(const std::vector<UndoLine>& lines, bool leftOnly)
{
    std::vector<std::string> texts;
    for (const UndoLine& line : lines) {
        const bool left =
            line.result == UndoResult::kKept || line.result == UndoResult::kFailed || line.result == UndoResult::kLater;
        if (!leftOnly || left) texts.push_back(UndoLineText(line));
    }
    return texts;
}

int Uninstall()
{
    std::array<char, 262> self{};
    GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size() - 1));
    const std::string program(self.data());
    const std::string directory = program.substr(0, program.rfind('\\') + 1);
    const std::string logPath = directory + "INSTALL.LOG", recordPath = directory + std::string(kUndoRecordName);
    std::array<char, 261> argument{};
    QOsArgument(1, argument);
    const bool dryRun = TrimmedText(std::string_view(argument.data(), argument.size())) == "/dry-run";

    std::string text;
    std::vector<UndoEntry> entries;
    int badLine = 0;
    if (!ReadFileBytes(recordPath, text)) {
        QMsgBox(kButtonsOk, kIconStop, 1, "There is no installation record " + recordPath + ": nothing was removed.",
                kCaption);
        return 2;
    }
    if (!ReadUndoRecord(text, entries, badLine)) {
        QMsgBox(kButtonsOk, kIconStop, 1,
                "The installation record " + recordPath + " is damaged at line " + std::to_string(badLine) +
                    ": nothing was removed.",
                kCaption);
        return 2;
    }
    WindowsUndoServices services;
    const std::vector<std::string> plan = Texts(Undo(entries, logPath, recordPath, true, services), false);
    if (dryRun) {
        // Printed where there is somewhere to print; a program started from the desktop shows it.
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out == nullptr || out == INVALID_HANDLE_VALUE) {
            QMsgBox(kButtonsOk, kIconInformation, 1, BoxText("What the uninstaller would do:", plan), kCaption);
            return 0;
        }
        for (const std::string& line : plan) {
            const std::string printed = line + "\r\n";
            DWORD written = 0;
            WriteFile(out, printed.data(), static_cast<DWORD>(printed.size()), &written, nullptr);
        }
        return 0;
    }
    QMsgBox(kButtonsYesNo, kIconQuestion, 2, BoxText("Remove the installation in " + directory + "?\r", plan),
            kCaption);
    if (QStateInfo(4) != 1) return 1;
    const std::vector<UndoLine> done = Undo(entries, logPath, recordPath, false, services);
    const std::vector<std::string> left = Texts(done, true);
    bool failed = false;
    for (const UndoLine& line : done) failed = failed || line.result == UndoResult::kFailed;
    const std::string said = failed         ? "Not everything could be removed:"
                             : left.empty() ? "The installation has been removed."
                                            : "The installation has been removed. What remains:";
    QMsgBox(kButtonsOk, failed ? kIconExclamation : kIconInformation, 1, BoxText(said, left), kCaption);
    return failed ? 1 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    QStartUp(" ");
    return Uninstall();
}
