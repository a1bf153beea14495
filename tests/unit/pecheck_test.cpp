// The load check: small crafted program files (tests/unit/pe), checked
// against the export lists kept for the release build's systems.
#include <iterator>
#include <regex>

#include "pe_check.h"
#include "pe_file.h"
#include "unit_test.h"

namespace {

using namespace std;

Bytes Crafted(const string& name)
{
    ifstream file(MARROW_SOURCE_DIR "/tests/unit/pe/" + name + ".exe", ios::binary);
    return Bytes(istreambuf_iterator<char>(file), {});
}

// "small" (KERNEL32.dll!GetTickCount only) with its second byte set, cut to `keep` bytes.
Bytes Small(char second, size_t keep = SIZE_MAX)
{
    Bytes b = Crafted("small");
    b[1] = uint8_t(second);
    b.resize(min(keep, b.size()));
    return b;
}

// Each file has one section at 0x1000 (file offset 0x200) and one import descriptor for each import. Unless said
// otherwise a file imports KERNEL32.dll!GetTickCount, crtdll.dll!_stat and COMCTL32.DLL ordinal 17, with OS and
// subsystem version 4.0 and relocations. The problems on Windows 95 and Win32s ("=": as on Windows 95);
// each system's title stands for "@". A damaged file is reported, never read outside its bytes.
TEST(LoadCheck, ImportsHeadersRelocationsAndDamagedFiles)
{
    PeFile pe;
    string error;
    vector<SystemExports> systems(2);
    for (size_t i = 0; const char* name : {"win95", "win32s"})
        ASSERT_TRUE(LoadSystemExports(MARROW_SOURCE_DIR "/tools/pecheck/systems/" + string(name), systems[i++], error));
    const char* titles[] = {"Windows 95 (4.00.950)", "Win32s 1.30"};
    const string notX86 = "not a 32-bit x86 program: @ cannot run it|";
    // The file, its call-backs, the problems on each system.
    using R = tuple<string, uint32_t, array<string, 2>>;
    for (const auto& [file, tlsCallbacks, problems] :
         Table(R{"loads", 3, {"", "="}},
               // msvcrt.dll!printf COMCTL32.DLL!InitCommonControlsEx COMCTL32.DLL ordinal 400 only
               R{"later-dlls",
                 0,
                 {"msvcrt.dll!printf: @ does not ship msvcrt.dll|COMCTL32.DLL!InitCommonControlsEx: not exported by @|"
                  "COMCTL32.DLL ordinal 400: not exported by @|",
                  "="}},
               R{"delay-load", 0, {"USER32.dll!GetAncestor (delay-loaded): not exported by @|", "="}},
               R{"xp-versions",
                 0,
                 {"the header asks for Windows 5.1: @ takes at most 4.0|subsystem version 5.1: @ takes 3.10 to 4.0|",
                  "="}},
               R{"pe32plus",
                 0,
                 {notX86, notX86 + "no relocations: @ loads every program into one shared address space and must move "
                                   "it|"}})) {  // no imports, no relocations
        ASSERT_TRUE(ReadPeFile(Crafted(file), pe, error)) << file << ": " << error;
        EXPECT_EQ(pe.tlsCallbacks, tlsCallbacks) << file;
        for (size_t i = 0; i < 2; ++i) {
            const string expected =
                regex_replace(problems[i] == "=" ? problems[0] : problems[i], regex("@"), titles[i]);
            string got;
            for (const string& p : CheckProgram(pe, systems[i])) got += p + "|";
            EXPECT_EQ(got, expected) << file;
        }
    }
    // The section at 0x200: two import descriptors, the hint and name, the DLL's name, the list at 68.
    using D = pair<Bytes, string>;
    for (const auto& [file, expected] : Table(D{Small('X'), "not a program file (no MZ header)"},
                                              D{Small('Z', 0x80), "the optional header is cut off"},
                                              D{Small('Z', 0x200 + 70), "the import list of KERNEL32.dll is cut off"}))
        EXPECT_EQ(pair(ReadPeFile(file, pe, error), error), pair(false, expected));
}

}  // namespace
