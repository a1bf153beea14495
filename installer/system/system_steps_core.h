#pragma once
// The three system changes: collected into temporary files during the
// install pass, applied after the system configuration page, removed at
// the end. Portable: files are opened, messages shown and the machine
// changed through the services the caller gives.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/install_state.h"
#include "system/system_lines.h"
#include "system/undo_record.h"

struct SystemServices {
    virtual ~SystemServices() = default;
    // fopen's modes; null when the file cannot be opened.
    virtual std::FILE* Open(const std::string& path, const char* mode) = 0;
    virtual void Delete(std::string_view path) = 0;
    virtual bool FileExists(std::string_view path) = 0;
    virtual bool ReadOnly(std::string_view path) = 0;
    // An OK box with that icon.
    virtual void Tell(int32_t icon, std::string_view text, std::string_view caption) = 0;
    virtual void Log(std::string_view text) = 0;
    virtual void Today(int32_t& year, int32_t& month, int32_t& day) = 0;
    // Program Manager adds the items; false when it did not take them all.
    virtual bool AddProgramItems(const std::vector<ShortcutEntry>& entries) = 0;
    // A registry environment value; false when it could not be written.
    virtual bool SetEnvironmentValue(std::string_view name, std::string_view value) = 0;
    // The value a variable has now where SetEnvironmentValue would write it; false when it has none.
    virtual bool EnvironmentValue(std::string_view name, std::string& value) = 0;
    // Tells running programs that the environment in the registry changed.
    virtual void AnnounceEnvironment() = 0;
    virtual std::string ShortPath(std::string_view path) = 0;
    // Runs "regedit /s FILE" and waits a while for it to end; false when it could not be run or did not end.
    virtual bool RunRegistryEditor(std::string_view commandLine) = 0;
    // The record for the uninstaller: a change about to be made, and the values a registry script will set.
    virtual void RecordChange(const UndoEntry&) {}
    virtual void RecordRegistryScript(const std::string&) {}
};

// Collectors, called by the install pass with a line's argument text;
// false when the pass must end (the user has been told).
bool CollectShortcut(std::span<char> arguments, SystemServices& services);
bool CollectAssociation(std::span<char> arguments, SystemServices& services);
bool CollectVariable(std::span<char> arguments, SystemServices& services);
// Closes the temporary files the pass left open.
void CloseTemporaryFiles();

// Each sets runOK true and leaves it so: the run always goes on.
void ApplyShortcuts(Logical& runOK, SystemServices& services);
void ApplyVariables(Logical& runOK, SystemServices& services);
void ApplyAssociations(Logical& runOK, SystemServices& services);

// Deletes the temporary files that exist.
void RemoveTemporaryFiles(SystemServices& services);
