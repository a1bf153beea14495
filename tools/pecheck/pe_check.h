#pragma once
// Checks what a program file asks of its loader against what one system
// offers: the DLLs it ships and the names they export, the header versions it
// accepts, and whether it needs relocations.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "pe_file.h"

struct SystemExports {
    std::string name;                             // the folder's name: "win95"
    std::string title;                            // "Windows 95 (4.00.950)"
    uint16_t versionMajor = 4, versionMinor = 0;  // the newest OS and subsystem version its loader takes
    bool needsRelocations = false;
    bool guiOnly = false;
    // Lower-case DLL name ("kernel32.dll") -> exported names, and "@N" for an export known by ordinal N.
    std::map<std::string, std::set<std::string>> dlls;
};

// A system's description from the lines of its system.txt: "title T",
// "version 4.0", "needs relocations", "gui only". '#' starts a comment.
bool ParseSystemDescription(std::string_view text, SystemExports& system, std::string& error);

// The names of one DLL's export list: one a line, '#' comments, blank lines.
std::set<std::string> ParseExportList(std::string_view text);

// A whole file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out);

// A system's folder: system.txt and one export list per DLL, named after it ("kernel32.txt").
bool LoadSystemExports(const std::filesystem::path& dir, SystemExports& system, std::string& error);

// Every way in which the program would fail to load there, one line each.
std::vector<std::string> CheckProgram(const PeFile& pe, const SystemExports& system);
