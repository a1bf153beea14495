// Our installation beside the peer installer's (NSIS) on the same files: one
// measurement a run, so that bench/peer-bench.sh can write back what the one
// before left to the disk, alternate the sides and take medians.
//   peer_bench layout DIR SETUP   1,000 files of 200 KB (half text, half noise) as our medium (DIR\medium,
//                                 text compressed, with SETUP), as they are installed (DIR\payload) and the
//                                 peer's scripts (DIR\silent.nsi, DIR\pages.nsi, its 32-bit stub
//                                 DIR\pages32.nsi); a medium with a short
//                                 script and no picture (DIR\first)
//   peer_bench ours DIR           seconds from the press that starts our pass to the finish page
//   peer_bench nsis DIR           seconds of the peer's silent installation (DIR\nsis-silent.exe), start to exit
//   peer_bench copy DIR           seconds of CopyFileA of the installed files
//   peer_bench first-ours DIR | first-nsis DIR | first-nsis32 DIR   seconds from the start to the first page shown
// Each prints its figure alone on a line, or a reason and exits with 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_clock.h"
#include "bench_payload.h"

namespace {

constexpr int kFiles = 1000;
constexpr std::size_t kFileBytes = 200 * 1024;
const char* const kOurs = "C:\\OURSINST";
const char* const kPeer = "C:\\PEERINST";

int Fail(const std::string& why)
{
    std::printf("%s\n", why.c_str());
    return 1;
}

int LayOutAll(const std::string& dir, const std::string& setup)
{
    robot::RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string medium = dir + "\\medium", payload = dir + "\\payload", first = dir + "\\first";
    CreateDirectoryA(payload.c_str(), nullptr);
    const Medium m = LayOut(medium, kFiles, kFileBytes, kFileBytes, payload);
    std::vector<std::string> names = m.plain, destinations = m.plain;
    names.insert(names.end(), m.compressed.begin(), m.compressed.end());
    destinations.insert(destinations.end(), m.expanded.begin(), m.expanded.end());
    WriteScript(medium, names, destinations, std::string(kOurs).substr(2));
    CreateDirectoryA(first.c_str(), nullptr);
    WriteScript(first, {}, {}, "\\FIRST");
    for (const std::string& to : {medium, first})
        if (!CopyFileA(setup.c_str(), (to + "\\SETUP.EXE").c_str(), FALSE)) return Fail("cannot copy " + setup);
    // The peer as its users build it: zlib, the 64-bit stub; silent, or with its directory page first.
    const std::string head =
        "Unicode true\r\nTarget amd64-unicode\r\nSetCompressor zlib\r\nName \"Peer\"\r\n"
        "RequestExecutionLevel user\r\nInstallDir \"" +
        std::string(kPeer) + "\"\r\n";
    robot::WriteFile(dir + "\\silent.nsi", head +
                                               "OutFile \"nsis-silent.exe\"\r\nSilentInstall silent\r\nSection\r\n"
                                               "SetOutPath \"$INSTDIR\"\r\nFile /r \"payload\\*\"\r\nSectionEnd\r\n");
    const std::string pages = "Page directory\r\nPage instfiles\r\nSection\r\nSectionEnd\r\n";
    robot::WriteFile(dir + "\\pages.nsi", head + "OutFile \"nsis-pages.exe\"\r\n" + pages);
    // Its 32-bit stub, which Wine starts as it starts ours: the first page of a 32-bit program beside a 32-bit one.
    std::string head32 = head;
    head32.replace(head32.find("amd64"), 5, "x86");
    robot::WriteFile(dir + "\\pages32.nsi", head32 + "OutFile \"nsis-pages32.exe\"\r\n" + pages);
    return 0;
}

// Seconds from the start of a program until it shows a dialog (a caption
// given: that one), which is then ended.
double FirstPage(const std::string& commandLine, const std::string& caption)
{
    const double start = SecondsNow();
    robot::Process p = robot::Process::Start(commandLine);
    const bool shown = robot::WaitUntil(
        [&] {
            for (HWND w : robot::TopWindows(p.id()))
                if (IsWindowVisible(w) && robot::ClassName(w) == "#32770" &&
                    (caption.empty() || robot::WindowText(w) == caption))
                    return true;
            return false;
        },
        std::chrono::seconds(60));
    const double seconds = SecondsNow() - start;
    p.Kill();
    return shown ? seconds : -1;
}

// Our installation pressed through its pages: the seconds from the
// confirmation of the directory until the finish page.
double Ours(const std::string& medium)
{
    robot::RemoveTree(kOurs);
    robot::StartOptions options;
    options.workingDirectory = medium;
    robot::Process setup = robot::Process::Start('"' + medium + "\\SETUP.EXE\"", options);
    HWND page = robot::WaitForWindow(setup.id(), "Welcome", "#32770");
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send)) return -1;
    page = robot::WaitForWindow(setup.id(), "Directory", "#32770");
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send)) return -1;
    const robot::MessageBoxSeen create = robot::WaitForMessageBox(setup.id());
    if (!create.box || !robot::Press(GetDlgItem(create.box, IDYES), robot::PressBy::Send)) return -1;
    const double start = SecondsNow();
    page = robot::WaitForWindow(setup.id(), "Finished", "#32770", std::chrono::minutes(10));
    const double seconds = SecondsNow() - start;
    if (!page || !robot::Press(GetDlgItem(page, IDOK), robot::PressBy::Send) || !setup.WaitForExit()) return -1;
    return seconds;
}

double Peer(const std::string& dir)
{
    robot::RemoveTree(kPeer);
    const double start = SecondsNow();
    robot::Process p = robot::Process::Start('"' + dir + "\\nsis-silent.exe\" /S /D=" + kPeer);
    DWORD code = 1;
    const bool ended = p.WaitForExit(std::chrono::minutes(10), &code);
    const double seconds = SecondsNow() - start;
    WIN32_FILE_ATTRIBUTE_DATA last{};
    const bool all = GetFileAttributesExA((std::string(kPeer) + "\\TXT999.TXT").c_str(), GetFileExInfoStandard, &last);
    return ended && code == 0 && all ? seconds : -1;
}

double CopyAll(const std::string& dir)
{
    const std::string target = "C:\\COPYINST";
    robot::RemoveTree(target);
    CreateDirectoryA(target.c_str(), nullptr);
    const double start = SecondsNow();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\payload\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((dir + "\\payload\\" + found.cFileName).c_str(), (target + "\\" + found.cFileName).c_str(),
                      FALSE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return SecondsNow() - start;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Fail("usage: peer_bench layout|ours|nsis|copy|first-ours|first-nsis|first-nsis32 DIR [SETUP]");
    const std::string what = argv[1], dir = argv[2];
    if (what == "layout") return argc > 3 ? LayOutAll(dir, argv[3]) : Fail("layout needs SETUP");
    double seconds = -1;
    if (what == "ours") seconds = Ours(dir + "\\medium");
    if (what == "nsis") seconds = Peer(dir);
    if (what == "copy") seconds = CopyAll(dir);
    if (what == "first-ours") seconds = FirstPage('"' + dir + "\\first\\SETUP.EXE\"", "Welcome");
    if (what == "first-nsis") seconds = FirstPage('"' + dir + "\\nsis-pages.exe\"", "");
    if (what == "first-nsis32") seconds = FirstPage('"' + dir + "\\nsis-pages32.exe\"", "");
    if (seconds < 0) return Fail(what + " did not finish");
    std::printf("%.3f\n", seconds);
    return 0;
}
