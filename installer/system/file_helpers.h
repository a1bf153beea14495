#pragma once
// The installer's own file-system helpers: thin wrappers over Windows calls
// with the status conventions their callers rely on.

#include <cstdint>

// installable := 1 for a fixed or network drive, else 0; returns the drive
// type. root is a zero-terminated root path such as "C:\".
int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t rootLength);
