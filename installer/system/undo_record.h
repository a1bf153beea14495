#pragma once
// The record of what an installation changed, kept beside INSTALL.LOG in
// UNINST.DAT for the uninstaller, which undoes it newest first. Portable.
//
// The file is text with CR LF line ends. Its first line is "UNINST 1"; every
// other line is one change, in the order they were made, its fields
// separated by tabs:
//   D  PATH                      a directory the installation made
//   F  SIZE TIME PATH            a file it made: its size in bytes and the
//                                time of its last change (a FILETIME, 16 hex
//                                digits) as installed
//   R  PATH                      a file that was there and was replaced
//   U  PATH                      the uninstaller itself
//   K  ROOT KEY                  a registry key it made (HKCR, HKCU, HKLM)
//   V  ROOT KEY NAME OLD NEW     a registry value it set; OLD and NEW are "-"
//                                for no value, else the type in decimal, ':'
//                                and the data as stored
//   A  PATH TEXT                 the text it put into AUTOEXEC.BAT
//   G  GROUP                     a Program Manager group it made
//   I  GROUP ITEM                an item it added to a group
// A field's backslashes, tabs, line ends and other bytes below 32 are
// written as \\ and \xHH, so that any path, value or block fits one line.
// A later installation into the same directory adds to the record.

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kUndoRecordName = "UNINST.DAT";
inline constexpr std::string_view kUndoRecordHeader = "UNINST 1";
inline constexpr std::string_view kUninstallerName = "UNINST.EXE";
// Where systems list the programs that can be removed.
inline constexpr std::string_view kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

enum class UndoKind : char {
    kDirectory = 'D',
    kFile = 'F',
    kReplaced = 'R',
    kSelf = 'U',
    kKey = 'K',
    kValue = 'V',
    kAutoexec = 'A',
    kGroup = 'G',
    kItem = 'I',
};

// A registry value as RegQueryValueExA gives it, or none.
struct RegistryData {
    bool present = false;
    uint32_t type = 0;
    std::string bytes;
    bool operator==(const RegistryData&) const = default;
};
// A string value (REG_SZ 1, REG_EXPAND_SZ 2) with its terminating zero, as it is stored.
RegistryData StringData(uint32_t type, std::string_view text);

struct UndoEntry {
    UndoKind kind = UndoKind::kDirectory;
    std::string path;  // D F R U A: the path; K V: the key; G I: the group
    std::string root;  // K V
    std::string name;  // V: the value's name; I: the item; A: the text put in
    uint64_t size = 0;
    uint64_t time = 0;           // F
    RegistryData before, after;  // V
};

UndoEntry MakeUndoEntry(UndoKind kind, std::string path, std::string name = {}, std::string root = {});
std::string FormatUndoEntry(const UndoEntry& entry);
// False for a line that is not an entry of this form.
bool ParseUndoEntry(std::string_view line, UndoEntry& entry);

// AUTOEXEC.BAT with the installation's text taken out: the exact text when it
// is there (the file's bytes are then as before), else the lines from the
// start marker to the end marker when both are there, the start first.
enum class BlockRemoval { kExact, kBetweenMarkers, kMissing };
BlockRemoval RemoveBlock(std::string& autoexec, std::string_view text);
