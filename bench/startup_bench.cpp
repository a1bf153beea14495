// Start-up: from starting setup.exe (as users get it) to its initial page on the screen (the
// script read, the background painted, a 320x200 picture drawn, the page
// shown), beside a minimal program that shows one full-screen window and one
// dialog from a resource, started the same way in the same run, alternately.
//   startup_bench [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "robot.h"

namespace {

// A 24-bit bottom-up BMP of four coloured quarters.
std::string Picture(int width, int height)
{
    const int row = (width * 3 + 3) / 4 * 4;
    std::string bmp(54 + static_cast<std::size_t>(row) * height, '\0');
    auto put = [&](std::size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, static_cast<uint32_t>(bmp.size()), 4), put(10, 54, 4), put(14, 40, 4), put(18, width, 4), put(22, height, 4);
    put(26, 1, 2), put(28, 24, 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            put(54 + static_cast<std::size_t>(y) * row + x * 3,
                (x < width / 2) == (y < height / 2) ? 0x0080FF : 0x00C800, 3);
    return bmp;
}

// Seconds from starting the program until its dialog "Welcome" is visible.
double TimeToFirstPage(const std::string& program, const std::string& directory)
{
    robot::StartOptions options;
    options.workingDirectory = directory;
    const double start = SecondsNow();
    robot::Process p = robot::Process::Start('"' + program + '"', options);
    for (;;) {
        for (HWND w : robot::TopWindows(p.id()))
            if (IsWindowVisible(w) && robot::ClassName(w) == "#32770" && robot::WindowText(w) == "Welcome") {
                const double seconds = SecondsNow() - start;
                p.Kill();
                return seconds;
            }
        if (SecondsNow() - start > 20) return -1;
        Sleep(1);  // a benchmark's poll: the resolution of its figures
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 15);
    const std::string medium = "G:\\startbench";
    robot::RemoveTree(medium);
    CreateDirectoryA(medium.c_str(), nullptr);
    robot::WriteFile(medium + "\\INSTALL.LST",
                     "generalstart\r\ntitle Demo Setup\r\nmessage Demo Application\r\nmessage Version 1.0\r\n"
                     "defdest \\DEMO\r\nbackgrnd 1\r\ndiagstart init\r\ntitle Welcome\r\n"
                     "message This program installs the demo application.\r\nbanner LOGO.BMP\r\n"
                     "diagstart direct\r\ntitle Installation Directory\r\nfilestart\r\ncopy README.TXT\r\n");
    robot::WriteFile(medium + "\\README.TXT", "Read me.\r\n");
    robot::WriteFile(medium + "\\LOGO.BMP", Picture(320, 200));
    // Run from the benchmark's folder of the build tree, where the build puts
    // a copy of setup.exe without its debugging sections, as users get it.
    if (!CopyFileA("setup_stripped.exe", (medium + "\\SETUP.EXE").c_str(), FALSE) ||
        !CopyFileA("startup_minimal.exe", (medium + "\\MINIMAL.EXE").c_str(), FALSE)) {
        std::printf("cannot lay out the medium\n");
        return 1;
    }
    std::vector<double> ours, minimal;
    TimeToFirstPage(medium + "\\SETUP.EXE", medium);  // once unmeasured: the first start loads more from disk
    TimeToFirstPage(medium + "\\MINIMAL.EXE", medium);
    for (int run = 0; run < runs; ++run) {
        ours.push_back(TimeToFirstPage(medium + "\\SETUP.EXE", medium));
        minimal.push_back(TimeToFirstPage(medium + "\\MINIMAL.EXE", medium));
        if (ours.back() < 0 || minimal.back() < 0) {
            std::printf("a program did not show its page within 20 s\n");
            return 1;
        }
    }
    const double a = Median(ours), b = Median(minimal);
    std::printf(
        "start to first page, median of %d: setup.exe %.1f ms, minimal program %.1f ms: %.2fx (the goal is "
        "against the peer installer: bench/peer-bench.sh)\n",
        runs, a * 1000, b * 1000, a / b);
    robot::RemoveTree(medium);
    return 0;
}
