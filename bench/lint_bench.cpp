// The linter on a 100,000-line script beside reading the same script line by
// line (the floor any linter pays): the best of several runs of each.
//   lint_bench [LINES]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_clock.h"
#include "lint_script.h"

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::FILE* script = std::tmpfile();
    if (!script) return 1;
    // A product's script: settings, pages, and file sections of directories and copies.
    std::fputs("generalstart\ntitle Bench\ndefdest \\BENCH\nbackgrnd 1\ncolour 255 255 0\ndiagstart init\n", script);
    for (int i = 6; i < lines; ++i) {
        if (i % 100 == 6)
            std::fprintf(script, "filestart\nmkdir D%d\n", i);
        else if (i % 100 == 8)
            std::fprintf(script, "chdir D%d\n", i - 2);
        else
            std::fprintf(script, "copy FILE%d.DA_ FILE%d.DAT\n", i, i);
    }
    double lint = 1e9, read = 1e9;
    std::size_t found = 0;
    for (int run = 0; run < 5; ++run) {
        std::rewind(script);
        double start = SecondsNow();
        found = LintScript(script).size();
        lint = std::min(lint, SecondsNow() - start);
        std::rewind(script);
        start = SecondsNow();
        char line[1100];
        while (std::fgets(line, sizeof line, script)) {
        }
        read = std::min(read, SecondsNow() - start);
    }
    std::printf("%d lines, %zu findings: lint %.3f s (goal well under 1 s), reading them %.3f s: %.1fx the reading\n",
                lines, found, lint, read, lint / read);
    return 0;
}
