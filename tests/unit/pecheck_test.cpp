// The load check: small crafted program files (tests/unit/pe), checked
// against the export lists kept for the release build's systems.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pe_check.h"
#include "pe_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Crafted(const std::string& name)
{
    std::ifstream file(MARROW_SOURCE_DIR "/tests/unit/pe/" + name + ".exe", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

// Each file has one section at 0x1000 (file offset 0x200) and one import descriptor for each import. Unless said
// otherwise a file imports KERNEL32.dll!GetTickCount, crtdll.dll!_stat and COMCTL32.DLL ordinal 17, with OS and
// subsystem version 4.0 and relocations. The problems on Windows 95, NT 3.51 and Win32s ("=": as on Windows 95);
// each system's title stands for "@".
// A damaged file is reported, never read outside its bytes.
TEST(LoadCheck, ImportsHeadersRelocationsAndDamagedFiles)
{
    PeFile pe;
    std::string error;
    const std::string noRelocations =
        "no relocations: @ loads every program into one shared address space and must "
        "move it|";
    const std::string notX86 = "not a 32-bit x86 program: @ cannot run it|";
    const struct {
        std::string file, win95, nt351 = "=", win32s = "=";
        uint32_t tlsCallbacks = 0;
    } cases[] = {
        {"loads", "", "=", "=", 3},                                                // with three call-backs
        {"later-kernel32", "KERNEL32.dll!GetFileSizeEx: not exported by @|"},      // only that import
        {"nt351-only", "kernel32.dll!IsDebuggerPresent: not exported by @|", ""},  // only that import
        {"later-dlls",  // msvcrt.dll!printf COMCTL32.DLL!InitCommonControlsEx COMCTL32.DLL ordinal 400 only
         "msvcrt.dll!printf: @ does not ship msvcrt.dll|COMCTL32.DLL!InitCommonControlsEx: not exported by @|"
         "COMCTL32.DLL ordinal 400: not exported by @|"},
        {"delay-load", "USER32.dll!GetAncestor (delay-loaded): not exported by @|"},
        {"console-stripped", "", "", noRelocations + "not a GUI program: @ runs no other kind|"},
        {"xp-versions",
         "the header asks for Windows 5.1: @ takes at most 4.0|subsystem version 5.1: @ takes 3.10 to 4.0|"},
        {"pe32plus", notX86, "=", notX86 + noRelocations},  // no imports, no relocations
    };
    const std::pair<const char*, const char*> systems[] = {
        {"win95", "Windows 95 (4.00.950)"}, {"nt351", "Windows NT 3.51"}, {"win32s", "Win32s 1.30"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(ReadPeFile(Crafted(c.file), pe, error)) << c.file << ": " << error;
        EXPECT_EQ(pe.tlsCallbacks, c.tlsCallbacks);
        const std::string* expected[] = {&c.win95, &c.nt351, &c.win32s};
        for (int i = 0; i < 3; ++i) {
            SystemExports exports;
            EXPECT_TRUE(LoadSystemExports(std::string(MARROW_SOURCE_DIR "/tools/pecheck/systems/") + systems[i].first,
                                          exports, error));
            std::string text = *expected[i] == "=" ? c.win95 : *expected[i], problems;
            for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, systems[i].second);
            for (const std::string& p : CheckProgram(pe, exports)) problems += p + "|";
            EXPECT_EQ(problems, text) << c.file;
        }
    }
    auto changed = [](std::size_t at, uint32_t v, std::size_t keep = SIZE_MAX) {
        Bytes b = Crafted("small");  // KERNEL32.dll!GetTickCount only
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        b.resize(std::min(keep, b.size()));
        return b;
    };
    // The section: two import descriptors, the hint and name, the DLL's name, the list at 68.
    const std::size_t section = 0x200, list = section + 68;
    const std::pair<Bytes, std::string> damaged[] = {
        {{}, "not a program file (no MZ header)"},
        {changed(0x3C, 0x10000), "not a Win32 program file (no PE header)"},
        {changed(0, 0x5A4D, 0x80), "the optional header is cut off"},
        {changed(0x58, 0x999), "the optional header is missing or unknown"},
        {changed(0x58 + 104, 0x9000), "the import table lies outside the file"},
        {changed(section + 12, 0x7000), "a DLL name of the import table lies outside the file"},
        {changed(section, 0x7000), "the import names of KERNEL32.dll lie outside the file"},
        {changed(0, 0x5A4D, list + 2), "the import list of KERNEL32.dll is cut off"},
    };
    for (const auto& [file, expected] : damaged) {
        EXPECT_FALSE(ReadPeFile(file, pe, error)) << expected;
        EXPECT_EQ(error, expected);
    }
}

}  // namespace
