// pecheck: will these program files load on the systems they are made for?
//   pecheck [--systems DIR] [--system NAME]... [--list] FILE...
// DIR holds a folder per system (system.txt and an export list per DLL);
// without --system every one of them is checked. Prints each problem as
// "FILE: problem" and a summary line per file and system.
// Exit status: 0 every file loads everywhere, 1 a problem, 2 a file or list
// that cannot be read.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "pe_check.h"
#include "pe_file.h"

namespace fs = std::filesystem;

namespace {

void List(const std::string& file, const PeFile& pe)
{
    std::printf("%s: machine %04x%s, OS %u.%u, subsystem %u (%u.%u), relocations %u bytes%s, %u TLS call-backs\n",
                file.c_str(), pe.machine, pe.pe32Plus ? " (64-bit)" : "", pe.osMajor, pe.osMinor, pe.subsystem,
                pe.subsystemMajor, pe.subsystemMinor, pe.relocationBytes, pe.relocationsStripped ? " (stripped)" : "",
                pe.tlsCallbacks);
    for (const PeImport& i : pe.imports) {
        std::printf("  %s %s%s\n", i.dll.c_str(),
                    i.name.empty() ? ("#" + std::to_string(i.ordinal)).c_str() : i.name.c_str(),
                    i.delayed ? " (delay-loaded)" : "");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    fs::path systemsDir = fs::path(argv[0]).parent_path() / "systems";
    std::vector<std::string> chosen, files;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--systems" || a == "--system") && i + 1 < argc) {
            if (a == "--systems")
                systemsDir = argv[++i];
            else
                chosen.push_back(argv[++i]);
        } else if (a == "--list") {
            list = true;
        } else if (a.starts_with("--")) {
            std::fprintf(stderr, "usage: pecheck [--systems DIR] [--system NAME]... [--list] FILE...\n");
            return 2;
        } else {
            files.push_back(a);
        }
    }
    std::vector<SystemExports> systems;
    std::error_code failed;
    std::vector<fs::path> dirs;
    for (const fs::directory_entry& entry : fs::directory_iterator(systemsDir, failed))
        if (entry.is_directory() && (chosen.empty() || std::ranges::count(chosen, entry.path().filename().string())))
            dirs.push_back(entry.path());
    std::ranges::sort(dirs);
    if (failed || dirs.empty() || (!chosen.empty() && dirs.size() != chosen.size())) {
        std::fprintf(stderr, "pecheck: no export lists for the systems asked for in %s\n", systemsDir.string().c_str());
        return 2;
    }
    for (const fs::path& dir : dirs) {
        std::string error;
        if (!LoadSystemExports(dir, systems.emplace_back(), error)) {
            std::fprintf(stderr, "pecheck: %s\n", error.c_str());
            return 2;
        }
    }
    int status = 0;
    for (const std::string& file : files) {
        std::string bytes, error;
        PeFile pe;
        if (!ReadWholeFile(file, bytes)) {
            std::printf("%s: cannot be read\n", file.c_str());
            status = 2;
            continue;
        }
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        if (!ReadPeFile({data, bytes.size()}, pe, error)) {
            std::printf("%s: %s\n", file.c_str(), error.c_str());
            status = 2;
            continue;
        }
        if (list) List(file, pe);
        for (const SystemExports& system : systems) {
            const std::vector<std::string> problems = CheckProgram(pe, system);
            for (const std::string& p : problems) std::printf("%s: %s\n", file.c_str(), p.c_str());
            std::printf("%s: %s: %s\n", file.c_str(), system.title.c_str(),
                        problems.empty() ? "loads" : (std::to_string(problems.size()) + " problems").c_str());
            if (!problems.empty()) status = std::max(status, 1);
        }
    }
    return status;
}
