// The load check: small crafted program files (tests/unit/pe), checked
// against the export lists kept for the release build's systems.
#include <iterator>
#include <regex>

#include "pe_check.h"
#include "pe_file.h"
#include "unit_test.h"

namespace {

Bytes Crafted(const std::string& name)
{
    std::ifstream file(MARROW_SOURCE_DIR "/tests/unit/pe/" + name + ".exe", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

// "small" (KERNEL32.dll!GetTickCount only) with the four bytes at `at` set to v, cut to `keep` bytes.
Bytes Changed(std::size_t at, uint32_t v, std::size_t keep = SIZE_MAX)
{
    Bytes b = Crafted("small");
    std::copy_n(reinterpret_cast<const uint8_t*>(&v), 4, b.begin() + static_cast<std::ptrdiff_t>(at));
    b.resize(std::min(keep, b.size()));
    return b;
}

// Each file has one section at 0x1000 (file offset 0x200) and one import descriptor for each import. Unless said
// otherwise a file imports KERNEL32.dll!GetTickCount, crtdll.dll!_stat and COMCTL32.DLL ordinal 17, with OS and
// subsystem version 4.0 and relocations. The problems on Windows 95, NT 3.51 and Win32s ("=": as on Windows 95);
// each system's title stands for "@". A damaged file is reported, never read outside its bytes.
TEST(LoadCheck, ImportsHeadersRelocationsAndDamagedFiles)
{
    PeFile pe;
    std::string error;
    std::vector<SystemExports> systems(3);
    for (std::size_t i = 0; const char* name : {"win95", "nt351", "win32s"})
        ASSERT_TRUE(
            LoadSystemExports(MARROW_SOURCE_DIR "/tools/pecheck/systems/" + std::string(name), systems[i++], error));
    const char* titles[] = {"Windows 95 (4.00.950)", "Windows NT 3.51", "Win32s 1.30"};
    const std::string noRelocations =
        "no relocations: @ loads every program into one shared address space and must move it|";
    const std::string notX86 = "not a 32-bit x86 program: @ cannot run it|";
    // The file, its call-backs, the problems on each system.
    using R = std::tuple<std::string, uint32_t, std::array<std::string, 3>>;
    for (const auto& [file, tlsCallbacks, problems] : Table(
             R{"loads", 3, {"", "=", "="}},
             R{"later-kernel32", 0, {"KERNEL32.dll!GetFileSizeEx: not exported by @|", "=", "="}},  // only that import
             R{"nt351-only", 0, {"kernel32.dll!IsDebuggerPresent: not exported by @|", "", "="}},   // only that import
             // msvcrt.dll!printf COMCTL32.DLL!InitCommonControlsEx COMCTL32.DLL ordinal 400 only
             R{"later-dlls",
               0,
               {"msvcrt.dll!printf: @ does not ship msvcrt.dll|COMCTL32.DLL!InitCommonControlsEx: not exported by @|"
                "COMCTL32.DLL ordinal 400: not exported by @|",
                "=", "="}},
             R{"delay-load", 0, {"USER32.dll!GetAncestor (delay-loaded): not exported by @|", "=", "="}},
             R{"console-stripped", 0, {"", "", noRelocations + "not a GUI program: @ runs no other kind|"}},
             R{"xp-versions",
               0,
               {"the header asks for Windows 5.1: @ takes at most 4.0|subsystem version 5.1: @ takes 3.10 to 4.0|", "=",
                "="}},
             R{"pe32plus", 0, {notX86, "=", notX86 + noRelocations}})) {  // no imports, no relocations
        ASSERT_TRUE(ReadPeFile(Crafted(file), pe, error)) << file << ": " << error;
        EXPECT_EQ(pe.tlsCallbacks, tlsCallbacks) << file;
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string expected =
                std::regex_replace(problems[i] == "=" ? problems[0] : problems[i], std::regex("@"), titles[i]);
            std::string got;
            for (const std::string& p : CheckProgram(pe, systems[i])) got += p + "|";
            EXPECT_EQ(got, expected) << file;
        }
    }
    // The section: two import descriptors, the hint and name, the DLL's name, the list at 68.
    const std::size_t section = 0x200, list = section + 68;
    using D = std::pair<Bytes, std::string>;
    for (const auto& [file, expected] :
         Table(D{{}, "not a program file (no MZ header)"},
               D{Changed(0x3C, 0x10000), "not a Win32 program file (no PE header)"},
               D{Changed(0, 0x5A4D, 0x80), "the optional header is cut off"},
               D{Changed(0x58, 0x999), "the optional header is missing or unknown"},
               D{Changed(0x58 + 104, 0x9000), "the import table lies outside the file"},
               D{Changed(section + 12, 0x7000), "a DLL name of the import table lies outside the file"},
               D{Changed(section, 0x7000), "the import names of KERNEL32.dll lie outside the file"},
               D{Changed(0, 0x5A4D, list + 2), "the import list of KERNEL32.dll is cut off"}))
        EXPECT_EQ(std::pair(ReadPeFile(file, pe, error), error), std::pair(false, expected));
}

}  // namespace
