#pragma once
// What a Windows program file asks of the system that loads it: the
// functions it imports, the versions its header names, whether it can be
// moved in memory, and its thread-local-storage call-backs. Read from the
// file's bytes alone, so the check runs on any machine.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct PeImport {
    std::string dll;   // as the file names it
    std::string name;  // empty when imported by ordinal
    uint16_t ordinal = 0;
    bool delayed = false;  // a delay-load import: looked up at its first call
};

struct PeFile {
    uint16_t machine = 0;
    bool pe32Plus = false;  // a 64-bit program
    uint16_t osMajor = 0, osMinor = 0;
    uint16_t subsystemMajor = 0, subsystemMinor = 0;
    uint16_t subsystem = 0;  // 2: GUI, 3: console
    bool relocationsStripped = false;
    uint32_t relocationBytes = 0;  // size of the base relocation table
    uint32_t tlsCallbacks = 0;
    std::vector<PeImport> imports;
};

// Reads a program file. On a malformed or truncated one it returns false and
// says what is wrong in `error`; it never reads outside `bytes`.
bool ReadPeFile(std::span<const uint8_t> bytes, PeFile& pe, std::string& error);
