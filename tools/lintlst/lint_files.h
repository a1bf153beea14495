#pragma once
// The files a script names, looked for on a disk as Windows looks for them:
// each part of a path in any letter case. Portable (std::filesystem).

#include <filesystem>
#include <string>
#include <vector>

#include "lint_script.h"

// Whether two names are one in any letter case.
bool SameName(const std::string& a, const std::string& b);

// A path as a script writes it ("DATA\SAMPLE.DAT") under root: the file (or,
// with directory, the folder) found in any letter case; blank when absent.
std::filesystem::path FindOnDisk(const std::filesystem::path& root, const std::string& path, bool directory = false);

// Whether the toolkit's decoders draw the picture file's bytes.
bool Drawable(const std::vector<uint8_t>& file);

// Reads a whole file; false when it cannot.
bool ReadWhole(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

// The medium's files for the linter: those under root.
LintFiles FilesBeside(const std::filesystem::path& root);
