#include "pe_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The lines of a text without comments and blanks around them.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        line = Trimmed(line.substr(0, std::min(line.find('#'), line.size())));
        if (!line.empty()) lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Version(unsigned major, unsigned minor) { return std::to_string(major) + "." + std::to_string(minor); }

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return !in.bad();
}

bool LoadSystemExports(const std::filesystem::path& dir, SystemExports& system, std::string& error)
{
    system.name = dir.filename().string();
    std::string text;
    const std::filesystem::path description = dir / "system.txt";
    if (!ReadWholeFile(description, text)) {
        error = description.string() + ": cannot be read";
        return false;
    }
    if (!ParseSystemDescription(text, system, error)) {
        error = description.string() + ": " + error;
        return false;
    }
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(dir, failed)) {
        if (entry.path() == description || entry.path().extension() != ".txt") continue;
        if (!ReadWholeFile(entry.path(), text)) {
            error = entry.path().string() + ": cannot be read";
            return false;
        }
        system.dlls[Lower(entry.path().stem().string()) + ".dll"] = ParseExportList(text);
    }
    if (failed) error = dir.string() + ": " + failed.message();
    return !failed;
}

bool ParseSystemDescription(std::string_view text, SystemExports& system, std::string& error)
{
    for (std::string_view line : Lines(text)) {
        if (line.starts_with("title ")) {
            system.title = std::string(Trimmed(line.substr(6)));
        } else if (line == "needs relocations") {
            system.needsRelocations = true;
        } else if (line == "gui only") {
            system.guiOnly = true;
        } else if (unsigned major = 0, minor = 0;
                   line.starts_with("version ") &&
                   std::sscanf(std::string(line.substr(8)).c_str(), "%u.%u", &major, &minor) == 2) {
            system.versionMajor = static_cast<uint16_t>(major);
            system.versionMinor = static_cast<uint16_t>(minor);
        } else {
            error = "unknown line: " + std::string(line);
            return false;
        }
    }
    if (system.title.empty()) system.title = system.name;
    return true;
}

std::set<std::string> ParseExportList(std::string_view text)
{
    std::set<std::string> names;
    for (std::string_view line : Lines(text)) names.emplace(line);
    return names;
}

std::vector<std::string> CheckProgram(const PeFile& pe, const SystemExports& system)
{
    std::vector<std::string> problems;
    const std::string& on = system.title;
    if (pe.machine != 0x14C || pe.pe32Plus) problems.push_back("not a 32-bit x86 program: " + on + " cannot run it");
    const auto newer = [&](uint16_t major, uint16_t minor) {
        return major > system.versionMajor || (major == system.versionMajor && minor > system.versionMinor);
    };
    if (newer(pe.osMajor, pe.osMinor))
        problems.push_back("the header asks for Windows " + Version(pe.osMajor, pe.osMinor) + ": " + on +
                           " takes at most " + Version(system.versionMajor, system.versionMinor));
    if (newer(pe.subsystemMajor, pe.subsystemMinor) || pe.subsystemMajor < 3 ||
        (pe.subsystemMajor == 3 && pe.subsystemMinor < 10))
        problems.push_back("subsystem version " + Version(pe.subsystemMajor, pe.subsystemMinor) + ": " + on +
                           " takes 3.10 to " + Version(system.versionMajor, system.versionMinor));
    if (system.needsRelocations && (pe.relocationsStripped || pe.relocationBytes == 0))
        problems.push_back("no relocations: " + on +
                           " loads every program into one shared address space and must move it");
    if (system.guiOnly && pe.subsystem != 2) problems.push_back("not a GUI program: " + on + " runs no other kind");
    for (const PeImport& import : pe.imports) {
        const std::string what =
            import.dll + (import.name.empty() ? " ordinal " + std::to_string(import.ordinal) : "!" + import.name) +
            (import.delayed ? " (delay-loaded)" : "");
        const auto dll = system.dlls.find(Lower(import.dll));
        if (dll == system.dlls.end()) {
            problems.push_back(what + ": " + on + " does not ship " + import.dll);
        } else if (import.name.empty() ? !dll->second.contains("@" + std::to_string(import.ordinal))
                                       : !dll->second.contains(import.name)) {
            problems.push_back(what + ": not exported by " + on);
        }
    }
    return problems;
}
