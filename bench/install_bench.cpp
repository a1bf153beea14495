// A whole installation of a medium of about 200 MB in 1,000 files (half
// compressed text, half plain binaries), driven through its pages from
// outside, beside the floor of copying the same files directly into one
// directory: CopyFileA for the plain ones, LZCopy for the compressed ones.
// Then the plain files alone, beside CopyFileA alone.
//   install_bench [FILES] [PLAIN_KB] [TEXT_KB]
#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_payload.h"
#include "lz_compress.h"
#include "robot.h"

namespace {

double CopyDirectly(const std::string& medium, const std::string& target, const std::vector<std::string>& names,
                    bool throughLz)
{
    const double start = SecondsNow();
    for (const std::string& n : names) {
        const std::string from = medium + "\\" + n, to = target + "\\" + n;
        if (!throughLz) {
            CopyFileA(from.c_str(), to.c_str(), FALSE);
            continue;
        }
        OFSTRUCT a{}, b{};
        const INT source = LZOpenFileA(const_cast<char*>(from.c_str()), &a, OF_READ);
        const INT destination = LZOpenFileA(const_cast<char*>(to.c_str()), &b, OF_CREATE);
        LZCopy(source, destination);
        LZClose(source);
        LZClose(destination);
    }
    return SecondsNow() - start;
}

// setup.exe from the medium, pressed through its pages; the seconds from the
// confirmation of the directory until the finish page. Negative on failure.
double Install(const std::string& medium)
{
    robot::RemoveTree("C:\\BENCHINST");
    robot::StartOptions options;
    options.workingDirectory = medium;
    robot::Process setup = robot::Process::Start('"' + medium + "\\SETUP.EXE\"", options);
    auto failed = [](const char* step) {
        std::printf("the installation did not go on after: %s\n", step);
        return -1.0;
    };
    HWND page = robot::WaitForWindow(setup.id(), "Welcome", "#32770");
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send)) return failed("the initial page");
    page = robot::WaitForWindow(setup.id(), "Directory", "#32770");
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send)) return failed("the directory page");
    const robot::MessageBoxSeen create = robot::WaitForMessageBox(setup.id());
    if (!create.box || !robot::Press(GetDlgItem(create.box, IDYES), robot::PressBy::Send))
        return failed("the question to create the directory");
    const double start = SecondsNow();
    page = robot::WaitForWindow(setup.id(), "Finished", "#32770", std::chrono::minutes(10));
    const double seconds = SecondsNow() - start;
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send)) return failed("the copies");
    if (!setup.WaitForExit()) return failed("the finish page");
    robot::RemoveTree("C:\\BENCHINST");
    return seconds;
}

double Least(std::vector<double> v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::size_t plainBytes = (argc > 2 ? std::atoi(argv[2]) : 300) * 1024;
    const std::size_t textBytes = (argc > 3 ? std::atoi(argv[3]) : 250) * 1024;
    const int rounds = std::max(1, argc > 4 ? std::atoi(argv[4]) : 5);
    const std::string medium = "G:\\installbench";
    const Medium m = LayOut(medium, files, plainBytes, textBytes);
    // Run from the benchmark's folder of the build tree, where setup.exe is one level up.
    char setup[MAX_PATH] = {};
    GetFullPathNameA("..\\setup.exe", MAX_PATH, setup, nullptr);
    if (!CopyFileA(setup, (medium + "\\SETUP.EXE").c_str(), FALSE)) {
        std::printf("cannot copy %s to the medium\n", setup);
        return 1;
    }
    std::vector<std::string> all = m.plain;
    all.insert(all.end(), m.compressed.begin(), m.compressed.end());
    unsigned long long bytes = 0;
    for (const std::string& n : all) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA((medium + "\\" + n).c_str(), GetFileExInfoStandard, &data);
        bytes += data.nFileSizeLow + (static_cast<unsigned long long>(data.nFileSizeHigh) << 32);
    }
    std::printf(
        "medium: %zu files, %.1f MB (%zu plain, %zu compressed); best of %d rounds, each measuring all side by side\n",
        all.size(), bytes / 1e6, m.plain.size(), m.compressed.size(), rounds);

    std::vector<std::string> destinations = m.plain;
    destinations.insert(destinations.end(), m.expanded.begin(), m.expanded.end());
    // Other work on the machine only adds time: the least of each is the
    // truest. The pages and dialogs around the copies cost the same for any
    // medium: an installation without copy lines measures them, and the
    // copy throughput is what the plain files add to it.
    // Every other round the floor goes last, so that what an earlier step
    // leaves to the machine (written data still to be flushed) weighs on
    // both sides alike.
    std::vector<double> plainFloor, lzFloor, installAll, installPlain, installNone;
    auto measureFloor = [&] {
        const std::string target = "C:\\BENCHBASE";
        robot::RemoveTree(target);
        CreateDirectoryA(target.c_str(), nullptr);
        plainFloor.push_back(CopyDirectly(medium, target, m.plain, false));
        lzFloor.push_back(CopyDirectly(medium, target, m.compressed, true));
        robot::RemoveTree(target);
    };
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) measureFloor();
        WriteScript(medium, all, destinations);
        installAll.push_back(Install(medium));
        WriteScript(medium, m.plain, m.plain);
        installPlain.push_back(Install(medium));
        WriteScript(medium, {}, {});
        installNone.push_back(Install(medium));
        if (installAll.back() < 0 || installPlain.back() < 0 || installNone.back() < 0) return 1;
        if (round % 2 == 1) measureFloor();
    }
    const double floor = Least(plainFloor) + Least(lzFloor), whole = Least(installAll);
    std::printf("floor: CopyFileA %.3f s + LZCopy %.3f s = %.3f s\n", Least(plainFloor), Least(lzFloor), floor);
    std::printf("installation of all files: %.3f s, %.2fx the floor (goal at most 1.2x)\n", whole, whole / floor);
    const double copying = Least(installPlain) - Least(installNone);
    std::printf(
        "plain files: installation %.3f s, of it pages and dialogs %.3f s; copying %.3f s against CopyFileA %.3f s: "
        "%.2fx CopyFileA's throughput (goal at least 0.8x)\n",
        Least(installPlain), Least(installNone), copying, Least(plainFloor), Least(plainFloor) / copying);
    robot::RemoveTree(medium);
    return 0;
}
