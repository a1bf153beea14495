#pragma once
// The record of what this installation changes (UNINST.DAT beside
// INSTALL.LOG), which the uninstaller undoes. Every change is recorded as it
// is made, each entry flushed, so that a run that ends abruptly can still be
// undone.

#include <string>

#include "system/undo_record.h"

// Written at once when the record is open; before that (the installation
// directory is made on the directory page) kept until it opens.
void RecordChange(const UndoEntry& entry);
// A file the copy has just made, or replaced: as installed, or as a file
// that was there before (unless an earlier installation into this directory
// made it).
void RecordCopiedFile(const std::string& path, bool replaced);
// Before a registry value is set: what it holds now and the keys above it
// that are not there yet. A value set twice keeps what it held first.
void RecordRegistryValue(const std::string& root, const std::string& key, const std::string& name,
                         const RegistryData& value);

// Opens the record (adding to the one of an earlier installation into the
// same directory), writes what was kept, copies the uninstaller from the
// medium and, outside Win32s, registers it where Windows lists the programs
// that can be removed.
void OpenChangeRecord();
void CloseChangeRecord();
