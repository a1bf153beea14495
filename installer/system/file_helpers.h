#pragma once
// The installer's own file-system helpers: thin wrappers over Windows calls
// with the status conventions their callers rely on. Paths are
// zero-terminated unless said otherwise.

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/install_state.h"

// A path under the program's own directory (which the installer names in
// capitals) in the letter case the system gave for that directory; any other
// path as it is.
std::string InOwnCase(std::string_view path);

// exists := true when the file (name without its trailing blanks) can be
// opened for reading; no handle is left open.
void FileExists(std::string_view name, Logical& exists);

// Copies source to destination, expanding a file made by the LZ compressor
// and copying any other byte for byte. status := 0 on success (an empty file
// included), else a positive LZ error code (1 source, 2 destination, 3 read,
// 4 write, ...). Source and destination naming the same file is refused
// (status 2) before anything is written.
void CopyExpanded(const char* source, int32_t sourceLength, const char* destination, int32_t destinationLength,
                  int32_t& status);
// The same, telling also the source file's size (in bytes, as stored on the
// medium) when it could be opened, which the copy has at hand, and the
// Windows error of a failed copy (ERROR_DISK_FULL: no room for it).
// The copy is made under a temporary name beside the destination and takes
// its place only once whole (a read-only one included): a failed copy leaves
// an earlier file as it was, and no temporary file. replaced, when given,
// tells whether a file was there before.
void CopyExpanded(const char* source, const char* destination, int32_t& status, int64_t& sourceSize, uint32_t& failure,
                  bool* replaced = nullptr);
// The size a file will have once copied: a compressed file's expanded size
// from its header, else its size; -1 when it cannot be read.
int64_t ExpandedSize(const char* path);

// Rewrites path in place with the name the file has once expanded: the bare
// name as stored on disk when that file exists, else the expanded full path.
void ExpandedFileName(char* path, int32_t pathLength);

// Removes the read-only attribute; the result of the attribute write.
bool ClearReadOnly(const char* name, int32_t nameLength);

// installable := 1 for a fixed or network drive, else 0; returns the drive
// type. root is a zero-terminated root path such as "C:\".
int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t rootLength);
// The drive letters in use, bit 0 for A:.
uint32_t LettersInUse();

// Rewrites path in place with its short (8.3) form; unchanged when that fails.
void ToShortPathName(char* path, int32_t pathLength);

// Size of a file in bytes (64 bits); false when there is no such file.
bool SourceFileSize(std::string_view path, int64_t& size);
// Free bytes of the drive of a path ("C:\..."), for the caller; false when unknown.
bool FreeBytesOfDrive(std::string_view path, uint64_t& freeBytes);
