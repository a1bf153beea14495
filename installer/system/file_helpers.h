#pragma once
// The installer's own file-system helpers: thin wrappers over Windows calls
// with the status conventions their callers rely on.

#include <cstdint>
#include <string_view>

#include "driver/install_state.h"

// exists := true when the file (name without its trailing blanks) can be
// opened for reading; no handle is left open.
void FileExists(std::string_view name, Logical& exists);

// installable := 1 for a fixed or network drive, else 0; returns the drive
// type. root is a zero-terminated root path such as "C:\".
int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t rootLength);
