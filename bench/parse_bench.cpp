// Parsing a large install script, beside the floor any parser that sizes its
// copy sources must pay: opening and seeking those same files.
//   parse_bench [COPIES] [LINES]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_clock.h"
#include "driver/install_state.h"
#include "script/install_plan.h"
#include "script/script_parser_core.h"
#include "utilities/files.h"

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

std::string SourceName(int i) { return "F" + std::to_string(i) + ".DA_"; }

}  // namespace

int main(int argc, char** argv)
{
    const int copies = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int lines = argc > 2 ? std::atoi(argv[2]) : 100000;
    const std::string medium = "C:\\parsebench\\";
    CreateDirectoryA(medium.c_str(), nullptr);
    for (int i = 0; i < copies; ++i) WriteText(medium + SourceName(i), std::string(100 + i % 900, 'x'));

    // The script: a general and a page section, then the file section with
    // the copy lines spread among comments, mkdir and other commands.
    std::string script =
        "generalstart\r\ntitle Bench Setup\r\ndefdest \\BENCH\r\nmessage Line one\r\nmessage Line two\r\n"
        "diagstart init\r\ntitle Welcome\r\nmessage Hello\r\nfilestart\r\n";
    int written = 9;
    const int others = lines - copies - written;
    const int stride = copies > 0 ? std::max(1, others / copies) : others;
    for (int i = 0, copy = 0; written < lines; ++i, ++written) {
        if (copy < copies && i % (stride + 1) == stride) {
            script += "copy " + SourceName(copy++) + " TARGET.DAT\r\n";
        } else {
            switch (i % 4) {
            case 0: script += "# a comment line of the kind scripts carry " + std::to_string(i) + "\r\n"; break;
            case 1: script += "mkdir DIR" + std::to_string(i % 50) + "\r\n"; break;
            case 2: script += "variable BENCH" + std::to_string(i) + "=<defdir>\\bin\r\n"; break;
            default: script += "program Bench|<defdir>\\B.EXE|Bench " + std::to_string(i) + "|\r\n"; break;
            }
        }
    }
    WriteText(medium + "INSTALL.LST", script);

    InstallState& state = TheInstallState();
    state.sourceDir.assign(medium);
    state.sourceDirLength = static_cast<int32_t>(medium.size());
    state.installableDrives[0].assign("C:");
    state.installableDriveCount = 1;

    // The floor: open, seek to the end and close every source.
    const double floorStart = SecondsNow();
    int64_t total = 0;
    for (int i = 0; i < copies; ++i) {
        int32_t handle = -1;
        QFileOpen(medium + SourceName(i), kFileRead, handle);
        int32_t offset = 0;
        QFileSeek(handle, offset, kSeekEnd);
        QFileClose(handle);
        total += offset;
    }
    const double floorTime = SecondsNow() - floorStart;

    ResetInstallPlan();
    Logical status = kFalse;
    const double parseStart = SecondsNow();
    ScriptParser(medium + "INSTALL.LST", status);
    const double parseTime = SecondsNow() - parseStart;

    std::printf("script of %d lines with %d copy lines (%lld source bytes)%s\n", written, copies,
                static_cast<long long>(total), IsTrue(status) && state.bytesDone == total ? "" : " -- PARSE DISAGREES");
    std::printf("%-40s %9.1f ms\n", "open + seek + close every source", floorTime * 1000);
    std::printf("%-40s %9.1f ms  %5.2f x the floor\n", "ScriptParser", parseTime * 1000, parseTime / floorTime);

    for (int i = 0; i < copies; ++i) DeleteFileA((medium + SourceName(i)).c_str());
    DeleteFileA((medium + "INSTALL.LST").c_str());
    RemoveDirectoryA(medium.c_str());
    return 0;
}
