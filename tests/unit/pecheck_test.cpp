// The load check: small program files made here, checked against the export
// lists kept for the release build's systems.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pe_check.h"
#include "pe_file.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Imports = std::vector<std::pair<std::string, std::vector<std::string>>>;  // "#17": by ordinal

// A program file with one section at 0x1000 (file offset 0x200) holding the
// import tables, delay-load tables, call-back list and relocations asked for.
struct Program {
    Imports imports, delayed;
    uint16_t os = 0x0400, subsystemVersion = 0x0400, subsystem = 2, magic = 0x10B, machine = 0x14C;
    bool relocations = true, stripped = false;
    int tlsCallbacks = 0;

    Bytes Build() const
    {
        Bytes f(0x200);
        auto put = [](Bytes& b, std::size_t at, uint64_t v, int n) {
            if (b.size() < at + n) b.resize(at + n);
            for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        };
        Bytes s;  // the section, at RVA 0x1000
        auto rva = [&] { return static_cast<uint32_t>(0x1000 + s.size()); };
        auto text = [&](const std::string& t) {
            const uint32_t at = rva();
            s.insert(s.end(), t.begin(), t.end());
            s.push_back(0);
            return at;
        };
        auto hintAndName = [&](const std::string& name) {
            const uint32_t at = rva();
            s.resize(s.size() + 2);
            text(name);
            return at;
        };
        // A descriptor table of `width` bytes an entry, its name and list fields at `nameAt` and `listAt`.
        auto tables = [&](const Imports& dlls, int width, int nameAt, int listAt) {
            if (dlls.empty()) return uint32_t{0};
            const std::size_t table = s.size();
            s.resize(s.size() + (dlls.size() + 1) * width);
            for (std::size_t d = 0; d < dlls.size(); ++d) {
                put(s, table + d * width, width == 32 ? 1 : 0, 4);
                put(s, table + d * width + nameAt, text(dlls[d].first), 4);
                std::vector<uint32_t> entries;
                for (const std::string& n : dlls[d].second)
                    entries.push_back(n[0] == '#' ? 0x80000000u | std::stoul(n.substr(1)) : hintAndName(n));
                const uint32_t list = rva();
                for (uint32_t e : entries) put(s, s.size(), e, 4);
                put(s, s.size(), 0, 4);
                put(s, table + d * width + listAt, list, 4);
            }
            return static_cast<uint32_t>(0x1000 + table);
        };
        const uint32_t importTable = tables(imports, 20, 12, 0);
        const uint32_t delayTable = tables(delayed, 32, 4, 16);
        uint32_t tls = 0;
        if (tlsCallbacks) {
            const uint32_t list = rva();
            for (int i = 0; i <= tlsCallbacks; ++i) put(s, s.size(), i < tlsCallbacks ? 0x401000 : 0, 4);
            tls = rva();
            put(s, s.size() + 20, 0, 4);
            put(s, tls - 0x1000 + 12, 0x400000 + list, 4);
        }
        const uint32_t relocs = rva();
        put(s, s.size(), 0x1000, 4);
        put(s, s.size(), 8, 4);
        // Headers.
        const bool plus = magic == 0x20B;
        const int optionalSize = plus ? 240 : 224;
        put(f, 0, 0x5A4D, 2);
        put(f, 0x3C, 0x40, 4);
        put(f, 0x40, 0x4550, 4);
        put(f, 0x44, machine, 2);
        put(f, 0x46, 1, 2);
        put(f, 0x54, optionalSize, 2);
        put(f, 0x56, 0x0102 | (stripped ? 1 : 0), 2);
        const std::size_t o = 0x58;
        put(f, o, magic, 2);
        put(f, o + (plus ? 24 : 28), 0x400000, plus ? 8 : 4);
        put(f, o + 40, os >> 8, 2);
        put(f, o + 42, os & 0xFF, 2);
        put(f, o + 48, subsystemVersion >> 8, 2);
        put(f, o + 50, subsystemVersion & 0xFF, 2);
        put(f, o + 68, subsystem, 2);
        const std::size_t dirs = o + (plus ? 112 : 96);
        put(f, dirs - 4, 16, 4);
        const std::pair<int, uint32_t> entries[] = {{1, importTable}, {13, delayTable}, {9, tls}, {5, relocations ? relocs : 0}};
        for (auto [index, at] : entries) {
            put(f, dirs + index * 8, at, 4);
            put(f, dirs + index * 8 + 4, at ? 8 : 0, 4);
        }
        const std::size_t section = o + optionalSize;
        std::memcpy(&f[section], ".data", 5);
        put(f, section + 8, 0x1000, 4);
        put(f, section + 12, 0x1000, 4);
        put(f, section + 16, s.size(), 4);
        put(f, section + 20, 0x200, 4);
        f.insert(f.end(), s.begin(), s.end());
        return f;
    }
};

std::vector<SystemExports> Systems()
{
    std::vector<SystemExports> systems;
    for (const char* name : {"win95", "nt351", "win32s"}) {
        std::string error;
        EXPECT_TRUE(LoadSystemExports(std::string(MARROW_SOURCE_DIR "/tools/pecheck/systems/") + name, systems.emplace_back(), error))
            << error;
    }
    return systems;
}

TEST(LoadCheck, ImportsHeadersAndRelocationsAgainstEachSystem)
{
    const std::vector<SystemExports> systems = Systems();
    const Imports base = {{"KERNEL32.dll", {"GetTickCount", "GetDiskFreeSpaceA"}}, {"USER32.dll", {"MessageBoxA"}},
                          {"crtdll.dll", {"__GetMainArgs", "printf"}}, {"COMCTL32.DLL", {"#17"}}};
    const auto with = [&](Imports more) {
        Imports all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    // The program, then the problems on Windows 95, NT 3.51 and Win32s (empty: it loads there).
    const struct {
        const char* what;
        Program program;
        std::vector<std::string> win95, nt351, win32s;
    } cases[] = {
        {"loads everywhere", {.imports = base}, {}, {}, {}},
        {"a function of Windows 2000",
         {.imports = with({{"KERNEL32.dll", {"GetFileSizeEx"}}})},
         {"KERNEL32.dll!GetFileSizeEx: not exported by Windows 95 (4.00.950)"},
         {"KERNEL32.dll!GetFileSizeEx: not exported by Windows NT 3.51"},
         {"KERNEL32.dll!GetFileSizeEx: not exported by Win32s 1.30"}},
        {"NT 3.51 has it, the 95 family not",
         {.imports = with({{"kernel32.dll", {"IsDebuggerPresent"}}})},
         {"kernel32.dll!IsDebuggerPresent: not exported by Windows 95 (4.00.950)"},
         {},
         {"kernel32.dll!IsDebuggerPresent: not exported by Win32s 1.30"}},
        {"a DLL they do not ship, a later comctl32, an unknown ordinal",
         {.imports = with({{"msvcrt.dll", {"printf"}}, {"COMCTL32.DLL", {"InitCommonControlsEx", "#400"}}})},
         {"msvcrt.dll!printf: Windows 95 (4.00.950) does not ship msvcrt.dll",
          "COMCTL32.DLL!InitCommonControlsEx: not exported by Windows 95 (4.00.950)",
          "COMCTL32.DLL ordinal 400: not exported by Windows 95 (4.00.950)"},
         {"msvcrt.dll!printf: Windows NT 3.51 does not ship msvcrt.dll",
          "COMCTL32.DLL!InitCommonControlsEx: not exported by Windows NT 3.51",
          "COMCTL32.DLL ordinal 400: not exported by Windows NT 3.51"},
         {"msvcrt.dll!printf: Win32s 1.30 does not ship msvcrt.dll",
          "COMCTL32.DLL!InitCommonControlsEx: not exported by Win32s 1.30",
          "COMCTL32.DLL ordinal 400: not exported by Win32s 1.30"}},
        {"delay-loaded",
         {.imports = base, .delayed = {{"USER32.dll", {"GetAncestor"}}}},
         {"USER32.dll!GetAncestor (delay-loaded): not exported by Windows 95 (4.00.950)"},
         {"USER32.dll!GetAncestor (delay-loaded): not exported by Windows NT 3.51"},
         {"USER32.dll!GetAncestor (delay-loaded): not exported by Win32s 1.30"}},
        {"no relocations, a console program", {.imports = base, .subsystem = 3, .relocations = false}, {}, {},
         {"no relocations: Win32s 1.30 loads every program into one shared address space and must move it",
          "not a GUI program: Win32s 1.30 runs no other kind"}},
        {"relocations stripped", {.imports = base, .stripped = true}, {}, {},
         {"no relocations: Win32s 1.30 loads every program into one shared address space and must move it"}},
        {"versions of XP",
         {.imports = base, .os = 0x0501, .subsystemVersion = 0x0501},
         {"the header asks for Windows 5.1: Windows 95 (4.00.950) takes at most 4.0",
          "subsystem version 5.1: Windows 95 (4.00.950) takes 3.10 to 4.0"},
         {"the header asks for Windows 5.1: Windows NT 3.51 takes at most 4.0",
          "subsystem version 5.1: Windows NT 3.51 takes 3.10 to 4.0"},
         {"the header asks for Windows 5.1: Win32s 1.30 takes at most 4.0",
          "subsystem version 5.1: Win32s 1.30 takes 3.10 to 4.0"}},
        {"a 64-bit program",
         {.imports = {}, .magic = 0x20B, .machine = 0x8664},
         {"not a 32-bit x86 program: Windows 95 (4.00.950) cannot run it"},
         {"not a 32-bit x86 program: Windows NT 3.51 cannot run it"},
         {"not a 32-bit x86 program: Win32s 1.30 cannot run it"}},
    };
    for (const auto& c : cases) {
        PeFile pe;
        std::string error;
        ASSERT_TRUE(ReadPeFile(c.program.Build(), pe, error)) << c.what << ": " << error;
        EXPECT_EQ((std::vector{CheckProgram(pe, systems[0]), CheckProgram(pe, systems[1]), CheckProgram(pe, systems[2])}),
                  (std::vector{c.win95, c.nt351, c.win32s}))
            << c.what;
    }
    PeFile pe;
    std::string error;
    Program tls{.imports = base};
    tls.tlsCallbacks = 3;
    ASSERT_TRUE(ReadPeFile(tls.Build(), pe, error));
    EXPECT_EQ(pe.tlsCallbacks, 3u);
    EXPECT_EQ(pe.imports.size(), 6u);
}

// A damaged file is reported, never read outside its bytes.
TEST(LoadCheck, DamagedFilesAreReported)
{
    const Bytes good = Program{.imports = {{"KERNEL32.dll", {"GetTickCount"}}}}.Build();
    const auto changed = [&](std::size_t at, uint32_t v, std::size_t keep = SIZE_MAX) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        b.resize(std::min(keep, b.size()));
        return b;
    };
    // The section: the import descriptors (two), the DLL's name, its one hint and name, its list.
    const std::size_t importDir = 0x58 + 96 + 8, section = 0x200, name = section + 40, list = section + 68;
    const struct {
        const char* what;
        Bytes file;
        std::string error;
    } cases[] = {
        {"empty", {}, "not a program file (no MZ header)"},
        {"no PE header", changed(0x3C, 0x10000), "not a Win32 program file (no PE header)"},
        {"cut in the optional header", changed(0, 0x5A4D, 0x80), "the optional header is cut off"},
        {"unknown optional header", changed(0x58, 0x999), "the optional header is missing or unknown"},
        {"import table outside", changed(importDir, 0x9000), "the import table lies outside the file"},
        {"DLL name outside", changed(section + 12, 0x7000), "a DLL name of the import table lies outside the file"},
        {"import names outside", changed(section, 0x7000), "the import names of KERNEL32.dll lie outside the file"},
        {"cut in the DLL name", changed(0, 0x5A4D, name + 5), "a DLL name of the import table lies outside the file"},
        {"cut in the name list", changed(0, 0x5A4D, list + 2), "the import list of KERNEL32.dll is cut off"},
    };
    for (const auto& c : cases) {
        PeFile pe;
        std::string error;
        EXPECT_FALSE(ReadPeFile(c.file, pe, error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
}

}  // namespace
