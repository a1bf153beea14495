#pragma once
// What the system steps write and send: the lines of the three temporary
// files, the registry script, the AUTOEXEC.BAT block, the Program Manager
// commands and the log texts. Portable.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/messages.h"  // the log texts
#include "utilities/fixed_text.h"

inline constexpr std::string_view kShortcutFile = "grpinf.$t$";
inline constexpr std::string_view kAssociationFile = "regedit.$t$";
inline constexpr std::string_view kVariableFile = "variab.$t$";
// The order in which the clean-up removes them.
inline constexpr std::array<std::string_view, 3> kTemporaryFiles = {kVariableFile, kAssociationFile, kShortcutFile};

inline constexpr std::array<std::string_view, 3> kShortcutHeader = {":", ": Start menu files (temporary file)", ": "};
inline constexpr std::array<std::string_view, 3> kVariableHeaderNT = {":", ": Variables to add (temporary file)", ":"};
inline constexpr std::array<std::string_view, 3> kVariableHeaderDos = {
    "@ECHO OFF", "REM ******** Variables (temporary file) ********", "REM"};
inline constexpr std::string_view kRegistryHeader = "REGEDIT";
static_assert(kVariableHeaderDos[1].size() == 48);

inline constexpr std::string_view kEndMarker = "rem End of variables added by R.L.V. Installer";
static_assert(kEndMarker.size() == 46);

// A temporary file's path: the trimmed installation directory and the name.
FixedText<261> TemporaryFilePath(std::string_view name);

// A regedit.$t$ line taken apart: "HKEY_CLASSES_ROOT\KEY = VALUE"; false for any other line.
bool SplitRegistryLine(std::string_view line, std::string& key, std::string& value);

// A grpinf.$t$ entry: the program line's argument text as it stands.
std::string ShortcutLine(std::string_view arguments);
// A variab.$t$ entry; <defdir> is replaced in the arguments themselves.
std::string VariableLine(std::span<char> arguments, bool windowsNT);
// The three regedit.$t$ lines of an associate line: extension, type, command.
std::array<std::string, 3> AssociationLines(std::string_view arguments, bool win32s);

// Whether a line has the fields without which it would change the wrong
// thing: an associate line its extension and command (no bars: every file
// without an extension), a program line its group and command, a variable
// line a name before its "=". A line without them is skipped and logged.
bool AssociationHasFields(std::string_view arguments);
bool ShortcutHasFields(std::string_view arguments);
bool VariableHasName(std::string_view arguments);
std::string SkippedLineText(std::string_view keyword, std::string_view arguments);

// A grpinf.$t$ entry taken apart, <defdir> replaced in the command only.
struct ShortcutEntry {
    std::string group;
    std::string command;
    std::string item;
};
ShortcutEntry ParseShortcutEntry(std::string_view line);
std::string ShowGroupCommand(std::string_view group);
std::string CreateGroupCommand(std::string_view group);
std::string AddItemCommand(std::string_view command, std::string_view item);

// The group names Program Manager reported: up to 1000 slots of 259
// characters. Names that do not fit a slot, and names beyond the last slot,
// are passed over.
class GroupNameTable {
public:
    static constexpr std::size_t kSlots = 1000;
    static constexpr std::size_t kSlotBytes = 260;
    // reply: the zero-terminated CF_TEXT reply, names separated by line
    // ends; it is split in place.
    void Fill(char* reply);
    // A group made since the list was asked for.
    void Add(std::string_view group);
    // Whether a name equals the group, ignoring the case of A to Z.
    bool Contains(std::string_view group) const;
    std::size_t size() const { return slots_.size(); }

private:
    std::vector<std::array<char, kSlotBytes>> slots_;
};
// The command that makes the group current: shown when it exists, else created.
std::string GroupCommand(const GroupNameTable& groups, std::string_view group);

// NAME=VALUE of a variab.$t$ line (NT family); false without "=".
bool SplitVariable(std::string_view line, std::string& name, std::string& value);
// Whether a value refers to its own variable (%NAME%, in any letter case), as PATH=%PATH%;C:\APP does.
bool RefersToItself(std::string_view name, std::string_view value);
// Such a value, built from the variable's value as it stands (none: null or
// empty), which it extends: every reference is replaced by the old value, or
// without one drops out together with a separator (";") next to it.
std::string ExtendedValue(std::string_view name, std::string_view value, const std::string* existing);
// The 80-character start marker of the AUTOEXEC.BAT block, dated.
std::string StartMarker(int32_t year, int32_t month, int32_t day);
std::string AutoexecPath(std::string_view drive);
std::string AutoexecLogText(std::string_view drive);
std::string AutoexecWriteError(std::string_view drive);
// Whether the variables go to the machine's environment rather than the user's.
bool IsMachineEnvironmentUser(std::string_view userName);
