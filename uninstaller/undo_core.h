#pragma once
// What the uninstaller does with each change an installation recorded:
// undone newest first, and only what is still as the installation left it.
// Portable: the machine is reached through the services the caller gives.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "system/undo_record.h"

struct UndoServices {
    virtual ~UndoServices() = default;
    // False when there is no such file.
    virtual bool FileState(const std::string& path, uint64_t& size, uint64_t& time) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Empty but for a file of that name, when one is given.
    virtual bool DirectoryEmpty(const std::string& path, const std::string& but = {}) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
    virtual bool KeyExists(const std::string& root, const std::string& key) = 0;
    // No subkeys and no values.
    virtual bool KeyEmpty(const std::string& root, const std::string& key) = 0;
    virtual bool DeleteKey(const std::string& root, const std::string& key) = 0;
    virtual RegistryData ReadValue(const std::string& root, const std::string& key, const std::string& name) = 0;
    // A value that is not present is deleted.
    virtual bool WriteValue(const std::string& root, const std::string& key, const std::string& name,
                            const RegistryData& data) = 0;
    // False when the file cannot be read.
    virtual bool ReadWhole(const std::string& path, std::string& bytes) = 0;
    // Replaces the file whole or leaves it as it was.
    virtual bool WriteWhole(const std::string& path, const std::string& bytes) = 0;
    virtual bool DeleteItem(const std::string& group, const std::string& item) = 0;
    // What a group holds: kItems also when that cannot be told.
    enum class Group { kEmpty, kGone, kItems };
    virtual Group GroupState(const std::string& group) = 0;
    virtual bool DeleteGroup(const std::string& group) = 0;
    // The uninstaller's own file, which may be in use: removed now, at the
    // next start of Windows, or not at all.
    enum class Removal { kNow, kAtRestart, kNot };
    virtual Removal RemoveSelf(const std::string& path) = 0;
    // A directory left only because the uninstaller is still in it.
    virtual bool RemoveDirectoryAtRestart(const std::string& path) = 0;
};

enum class UndoResult {
    kUndone,   // removed or put back
    kLater,    // at the next start of Windows
    kAlready,  // nothing left to undo
    kKept,     // left on purpose; the reason says why
    kFailed,   // the attempt failed
    kPlanned,  // a dry run: would be undone
};

struct UndoLine {
    UndoResult result = UndoResult::kUndone;
    std::string what;      // "file C:\DEMO\DEMO.EXE"
    std::string reason;    // for kKept and kFailed
    bool putBack = false;  // a value that had one before the installation
};

// The record's text read into entries, oldest first; false (with the line
// number) at the first line that is not an entry: a damaged record undoes nothing.
bool ReadUndoRecord(std::string_view text, std::vector<UndoEntry>& entries, int& badLine);

// Undoes the entries newest first, or with dryRun only tells what would be
// done. The log and the record (the files beside the uninstaller) go with
// the uninstaller itself, and only when nothing failed: a second run can
// then try again.
std::vector<UndoLine> Undo(const std::vector<UndoEntry>& entries, const std::string& logPath,
                           const std::string& recordPath, bool dryRun, UndoServices& services);

// "Removed: file C:\DEMO\DEMO.EXE", "Kept: ... (changed since the installation)".
std::string UndoLineText(const UndoLine& line);
