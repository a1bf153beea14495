// mkmedia: turns a product folder into a finished installation medium.
//   mkmedia [--force] [--setup SETUP.EXE] PRODUCT_DIR INSTALL.LST OUT_DIR
// Writes SETUP.EXE (by default the setup.exe beside this program) and the
// UNINST.EXE beside it, the script
// and every file its copy lines take from the medium: compressed under the
// name the script gives (DEMO.EX_ for DEMO.EXE), or as they are; page
// pictures are checked drawable. Everything goes into a folder beside OUT_DIR
// that takes its name only at the end, so a failed run leaves nothing half
// made; a non-empty OUT_DIR is refused unless --force. The script is linted
// first (lintlst's findings, but for its files, which mkmedia finds itself).
// Each message names the script line it comes from. Exit status 0, 1
// (warnings) or 2 (errors).
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "lint_files.h"
#include "lint_script.h"
#include "lz_compress.h"
#include "medium_plan.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct Run {
    std::string script;  // as the messages name it
    int warnings = 0;
    int errors = 0;
    void Say(int32_t line, bool error, const std::string& text, int32_t column = 0)
    {
        std::string where = line > 0 ? script + ":" + std::to_string(line) : "mkmedia";
        if (line > 0 && column > 0) where += ":" + std::to_string(column);
        std::fprintf(stderr, "%s: %s: %s\n", where.c_str(), error ? "error" : "warning", text.c_str());
        ++(error ? errors : warnings);
    }
};

bool WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

// The product file whose compressed name is `medium` (a copy without a
// destination), in the folder the medium path names. The character the name
// loses is kept in the letter case the script writes the name in.
fs::path FindPacked(const fs::path& root, const std::string& medium, char& replacedChar)
{
    const std::size_t slash = medium.rfind('\\');
    const std::string name = medium.substr(slash == std::string::npos ? 0 : slash + 1);
    const fs::path dir = slash == std::string::npos ? root : FindOnDisk(root, medium.substr(0, slash), true);
    std::error_code error;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, error)) {
        const LzName packed = LzCompressedName(e.path().filename().string());
        if (!e.is_regular_file() || !packed.error.empty() || !SameName(packed.name, name)) continue;
        const bool lower = name.size() > 1 && std::islower(static_cast<unsigned char>(name[name.size() - 2]));
        const unsigned char c = static_cast<unsigned char>(packed.replacedChar);
        replacedChar = static_cast<char>(lower ? std::tolower(c) : std::toupper(c));
        return e.path();
    }
    return {};
}

fs::path MediumPath(const fs::path& out, const std::string& medium)
{
    fs::path p = out;
    std::size_t from = 0;
    while (from <= medium.size()) {
        const std::size_t end = std::min(medium.find('\\', from), medium.size());
        if (end > from) p /= medium.substr(from, end - from);
        from = end + 1;
    }
    return p;
}

int Usage()
{
    std::fprintf(stderr, "usage: mkmedia [--force] [--setup SETUP.EXE] PRODUCT_DIR INSTALL.LST OUT_DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    bool force = false;
    fs::path setup = fs::path(argv[0]).parent_path() / "setup.exe";
    std::vector<std::string> places;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--force")
            force = true;
        else if (a == "--setup" && i + 1 < argc)
            setup = argv[++i];
        else if (a.starts_with("--"))
            return Usage();
        else
            places.push_back(a);
    }
    if (places.size() != 3) return Usage();
    const fs::path product = places[0], scriptPath = places[1], out = places[2];
    Run run{places[1]};
    std::error_code error;
    if (fs::exists(out) && !fs::is_empty(out, error) && !force) {
        run.Say(0, true, out.string() + " is not empty (--force replaces it)");
        return 2;
    }
    if (!fs::is_regular_file(setup)) run.Say(0, true, "no setup program " + setup.string() + " (--setup names it)");
    // The uninstaller comes with the setup program it was built with.
    const fs::path uninstaller = setup.parent_path() / "uninst.exe";
    if (!fs::is_regular_file(uninstaller))
        run.Say(0, false, "no uninst.exe beside " + setup.string() + ": the installation cannot be undone");
    std::FILE* script = std::fopen(scriptPath.string().c_str(), "rb");
    if (!script) {
        run.Say(0, true, "cannot read the script");
        return 2;
    }
    // The script first as the linter reads it; its files are the product's, under other names: mkmedia finds them.
    for (const LintFinding& f : LintScript(script)) run.Say(f.line, f.error, f.message, f.column);
    std::rewind(script);
    const MediumPlan plan = PlanMedium(script);
    std::fclose(script);
    if (plan.readError) run.Say(0, true, "cannot read the script to its end");

    // Every file found before anything is written.
    struct Source {
        const MediumFile* file;
        fs::path path;
        char replacedChar;
    };
    std::vector<Source> sources;
    for (const MediumFile& f : plan.files) {
        char replaced = f.replacedChar;
        const fs::path path =
            f.product.empty() ? FindPacked(product, f.medium, replaced) : FindOnDisk(product, f.product);
        if (path.empty())
            run.Say(f.line, true,
                    (f.product.empty() ? "no file in the product folder is compressed to " + f.medium
                                       : "no " + f.product + " in the product folder") +
                        " (" + (f.picture ? "page picture" : "copy source " + f.medium) + ")");
        if (Bytes picture; f.picture && !path.empty() && !(ReadWhole(path, picture) && Drawable(picture)))
            run.Say(f.line, true, f.medium + " cannot be drawn");
        sources.push_back({&f, path, replaced});
    }
    if (run.errors > 0) return 2;

    const fs::path temporary = out.string() + ".mkmedia-partial";
    fs::remove_all(temporary, error);
    bool written = fs::create_directories(temporary, error);
    Bytes bytes;
    written = written && ReadWhole(scriptPath, bytes) && WriteBytes(temporary / "INSTALL.LST", bytes);
    written = written && fs::copy_file(setup, temporary / "SETUP.EXE", error);
    if (fs::is_regular_file(uninstaller))
        written = written && fs::copy_file(uninstaller, temporary / "UNINST.EXE", error);
    uint64_t bytesIn = 0, bytesOut = 0, expanded = 0, onMedium = 0;
    const auto started = std::chrono::steady_clock::now();
    const bool terminal = isatty(fileno(stderr)) != 0;  // progress only where someone watches
    for (std::size_t i = 0; written && i < sources.size(); ++i) {
        const Source& s = sources[i];
        if (!ReadWhole(s.path, bytes)) {
            run.Say(s.file->line, true, "cannot read " + s.path.string());
            break;
        }
        bytesIn += bytes.size();
        expanded += bytes.size() * static_cast<uint64_t>(s.file->copies);
        Bytes packed = s.file->compressed ? CompressLz(bytes, s.replacedChar) : bytes;
        bytesOut += packed.size();
        onMedium += packed.size() * static_cast<uint64_t>(s.file->copies);
        const fs::path to = MediumPath(temporary, s.file->medium);
        fs::create_directories(to.parent_path(), error);
        written = WriteBytes(to, packed);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (terminal)
            std::fprintf(stderr, "\r%zu/%zu files, %llu bytes, %.1f MB/s ", i + 1, sources.size(),
                         static_cast<unsigned long long>(bytesIn), seconds > 0 ? bytesIn / seconds / 1e6 : 0.0);
    }
    if (terminal) std::fprintf(stderr, "\n");
    if (!written) run.Say(0, true, "cannot write " + temporary.string());
    if (run.errors == 0) {
        fs::remove_all(out, error);
        fs::rename(temporary, out, error);
        if (error) run.Say(0, true, "cannot rename " + temporary.string() + " to " + out.string());
    }
    if (run.errors > 0) {
        fs::remove_all(temporary, error);
        return 2;
    }
    std::printf(
        "%zu files, %llu bytes read, %llu written (%.0f %%); the progress bar counts %llu bytes (the "
        "medium's files, once for each copy line), the installation writes %llu\n",
        sources.size(), static_cast<unsigned long long>(bytesIn), static_cast<unsigned long long>(bytesOut),
        bytesIn ? 100.0 * bytesOut / bytesIn : 100.0, static_cast<unsigned long long>(onMedium),
        static_cast<unsigned long long>(expanded));
    return run.warnings > 0 ? 1 : 0;
}
