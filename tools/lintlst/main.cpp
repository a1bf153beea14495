// lintlst: what the installer would silently ignore, cut or fail on late in
// an install script, as FILE:LINE:COLUMN: error|warning: message.
//   lintlst [--werror] [--no-files] INSTALL.LST
// The files the script names are looked for beside the script (the medium),
// under the chdir in force, unless --no-files. Exit status 0 (nothing
// found), 1 (warnings) or 2 (errors; with --werror warnings count as errors).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "lint_files.h"
#include "lint_script.h"

int main(int argc, char** argv)
{
    bool werror = false;
    bool noFiles = false;
    bool usage = argc < 2;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--werror")
            werror = true;
        else if (a == "--no-files")
            noFiles = true;
        else if (path.empty() && !a.starts_with("--"))
            path = a;
        else
            usage = true;
    }
    if (usage || path.empty()) {
        std::fprintf(stderr, "usage: lintlst [--werror] [--no-files] INSTALL.LST\n");
        return 2;
    }
    std::FILE* script = std::fopen(path.c_str(), "rb");
    if (!script) {
        std::fprintf(stderr, "lintlst: cannot read %s\n", path.c_str());
        return 2;
    }
    const LintFiles files = noFiles ? LintFiles{} : FilesBeside(std::filesystem::path(path).parent_path());
    int status = 0;
    for (const LintFinding& f : LintScript(script, files)) {
        const bool error = f.error || werror;
        std::printf("%s:%d:%d: %s: %s\n", path.c_str(), f.line, f.column, error ? "error" : "warning",
                    f.message.c_str());
        status = std::max(status, error ? 2 : 1);
    }
    std::fclose(script);
    return status;
}
