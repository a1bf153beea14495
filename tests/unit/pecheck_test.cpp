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

void Put(Bytes& b, std::size_t at, uint64_t v, int n)
{
    if (b.size() < at + n) b.resize(at + n);
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A program file whose one section (at 0x1000, file offset 0x200) holds the
// import and delay-load tables, the call-back list and the relocations.
struct Program {
    Imports imports, delayed;
    uint16_t os = 0x0400, subsystemVersion = 0x0400, subsystem = 2, magic = 0x10B, machine = 0x14C;
    bool relocations = true, stripped = false;
    int tlsCallbacks = 0;

    Bytes Build() const
    {
        Bytes s;
        auto rva = [&] { return static_cast<uint32_t>(0x1000 + s.size()); };
        auto text = [&](const std::string& t, std::size_t hint) {
            const uint32_t at = rva();
            s.resize(s.size() + hint);
            s.insert(s.end(), t.begin(), t.end() + 1);
            return at;
        };
        // Descriptors of `width` bytes with the name and the name list at those offsets; delay-load ones say RVA (1).
        auto tables = [&](const Imports& dlls, std::size_t width, int nameAt, int listAt) {
            const std::size_t table = s.size();
            s.resize(s.size() + (dlls.size() + 1) * width);
            for (std::size_t d = 0; d < dlls.size(); ++d) {
                Put(s, table + d * width, width == 32, 4);
                Put(s, table + d * width + nameAt, text(dlls[d].first, 0), 4);
                std::vector<uint32_t> entries;
                for (const std::string& n : dlls[d].second)
                    entries.push_back(n[0] == '#' ? 0x80000000u | std::stoul(n.substr(1)) : text(n, 2));
                Put(s, table + d * width + listAt, rva(), 4);
                for (uint32_t e : entries) Put(s, s.size(), e, 4);
                Put(s, s.size(), 0, 4);
            }
            return dlls.empty() ? 0 : static_cast<uint32_t>(0x1000 + table);
        };
        const uint32_t directories[16] = {0, tables(imports, 20, 12, 0), 0, 0, 0, relocations ? rva() : 0};
        Put(s, s.size(), 0x1000, 8);
        Bytes f(0x200);
        const bool plus = magic == 0x20B;
        const std::size_t o = 0x58, optionalSize = plus ? 240 : 224, dirs = o + (plus ? 112 : 96);
        Put(f, dirs + 13 * 8, tables(delayed, 32, 4, 16), 4);
        if (tlsCallbacks) {
            const uint32_t list = rva();
            for (int i = 0; i <= tlsCallbacks; ++i) Put(s, s.size(), i < tlsCallbacks ? 0x401000 : 0, 4);
            Put(f, dirs + 9 * 8, rva(), 4);
            Put(s, s.size() + 20, 0, 4);
            Put(s, s.size() - 12, 0x400000 + list, 4);
        }
        for (int i = 0; i < 16; ++i)
            if (directories[i]) Put(f, dirs + i * 8, directories[i], 4);
        for (int i = 0; i < 16; ++i) Put(f, dirs + i * 8 + 4, 8, 4);
        const std::size_t section = o + optionalSize;
        // The headers, two fields of a word or a double word at a time.
        Put(f, 0, 0x5A4D, 2);
        Put(f, 0x3C, 0x40, 4);
        Put(f, 0x40, 0x4550 | uint64_t{machine} << 32u | 1ull << 48u, 8);
        Put(f, 0x54, optionalSize | (0x0102u | stripped) << 16u, 4);
        Put(f, o, magic, 2);
        Put(f, o + 40, (os >> 8u) | (os & 0xFFu) << 16u, 4);
        Put(f, o + 48, (subsystemVersion >> 8u) | (subsystemVersion & 0xFFu) << 16u, 4);
        Put(f, o + 68, subsystem, 2);
        Put(f, dirs - 4, 16, 4);
        Put(f, section + 8, 0x1000 | 0x1000ull << 32u, 8);
        Put(f, section + 16, s.size() | 0x200ull << 32u, 8);
        Put(f, o + (plus ? 24 : 28), 0x400000, plus ? 8 : 4);
        f.insert(f.end(), s.begin(), s.end());
        return f;
    }
};

std::string Problems(const PeFile& pe, const char* system)
{
    SystemExports exports;
    std::string error, all;
    EXPECT_TRUE(LoadSystemExports(std::string(MARROW_SOURCE_DIR "/tools/pecheck/systems/") + system, exports, error))
        << error;
    for (const std::string& p : CheckProgram(pe, exports)) all += p + "|";
    return all;
}

TEST(LoadCheck, ImportsHeadersAndRelocationsAgainstEachSystem)
{
    const Imports base = {{"KERNEL32.dll", {"GetTickCount"}}, {"crtdll.dll", {"_stat"}}, {"COMCTL32.DLL", {"#17"}}};
    const std::string noRelocations =
        "no relocations: @ loads every program into one shared address space and must move it|";
    const std::string notGui = "not a GUI program: @ runs no other kind|";
    const std::string notX86 = "not a 32-bit x86 program: @ cannot run it|";
    // The problems on Windows 95, NT 3.51 and Win32s ("=": as on Windows 95); each system's title stands for "@".
    const struct {
        Program program;
        std::string win95, nt351 = "=", win32s = "=";
    } cases[] = {
        {{.imports = base, .tlsCallbacks = 3}, ""},
        {{.imports = {{"KERNEL32.dll", {"GetFileSizeEx"}}}}, "KERNEL32.dll!GetFileSizeEx: not exported by @|"},
        {{.imports = {{"kernel32.dll", {"IsDebuggerPresent"}}}},
         "kernel32.dll!IsDebuggerPresent: not exported by @|",
         ""},
        {{.imports = {{"msvcrt.dll", {"printf"}}, {"COMCTL32.DLL", {"InitCommonControlsEx", "#400"}}}},
         "msvcrt.dll!printf: @ does not ship msvcrt.dll|COMCTL32.DLL!InitCommonControlsEx: not exported by @|"
         "COMCTL32.DLL ordinal 400: not exported by @|"},
        {{.imports = base, .delayed = {{"USER32.dll", {"GetAncestor"}}}},
         "USER32.dll!GetAncestor (delay-loaded): not exported by @|"},
        {{.imports = base, .subsystem = 3, .stripped = true}, "", "", noRelocations + notGui},
        {{.imports = base, .os = 0x0501, .subsystemVersion = 0x0501},
         "the header asks for Windows 5.1: @ takes at most 4.0|subsystem version 5.1: @ takes 3.10 to 4.0|"},
        {{.imports = {}, .magic = 0x20B, .machine = 0x8664, .relocations = false}, notX86, "=", notX86 + noRelocations},
    };
    const std::pair<const char*, const char*> systems[] = {
        {"win95", "Windows 95 (4.00.950)"}, {"nt351", "Windows NT 3.51"}, {"win32s", "Win32s 1.30"}};
    for (const auto& c : cases) {
        PeFile pe;
        std::string error;
        ASSERT_TRUE(ReadPeFile(c.program.Build(), pe, error)) << error;
        EXPECT_EQ(pe.tlsCallbacks, uint32_t(c.program.tlsCallbacks));
        const std::string* expected[] = {&c.win95, &c.nt351, &c.win32s};
        for (int i = 0; i < 3; ++i) {
            std::string text = *expected[i] == "=" ? c.win95 : *expected[i];
            for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, systems[i].second);
            EXPECT_EQ(Problems(pe, systems[i].first), text) << c.win95;
        }
    }
}

// A damaged file is reported, never read outside its bytes.
TEST(LoadCheck, DamagedFilesAreReported)
{
    const Bytes good = Program{.imports = {{"KERNEL32.dll", {"GetTickCount"}}}}.Build();
    auto changed = [&](std::size_t at, uint32_t v, std::size_t keep = SIZE_MAX) {
        Bytes b = good;
        Put(b, at, v, 4);
        b.resize(std::min(keep, b.size()));
        return b;
    };
    // The section: the import descriptors (two), the DLL's name, its one hint and name, its list.
    const std::size_t section = 0x200, name = section + 40, list = section + 68;
    const std::pair<Bytes, std::string> cases[] = {
        {{}, "not a program file (no MZ header)"},
        {changed(0x3C, 0x10000), "not a Win32 program file (no PE header)"},
        {changed(0, 0x5A4D, 0x80), "the optional header is cut off"},
        {changed(0x58, 0x999), "the optional header is missing or unknown"},
        {changed(0x58 + 104, 0x9000), "the import table lies outside the file"},
        {changed(section + 12, 0x7000), "a DLL name of the import table lies outside the file"},
        {changed(section, 0x7000), "the import names of KERNEL32.dll lie outside the file"},
        {changed(0, 0x5A4D, name + 5), "a DLL name of the import table lies outside the file"},
        {changed(0, 0x5A4D, list + 2), "the import list of KERNEL32.dll is cut off"},
    };
    for (const auto& [file, expected] : cases) {
        PeFile pe;
        std::string error;
        EXPECT_FALSE(ReadPeFile(file, pe, error)) << expected;
        EXPECT_EQ(error, expected);
    }
}

}  // namespace
