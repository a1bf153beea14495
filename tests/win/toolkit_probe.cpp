// A small program that the Windows tests start as a separate process, for
// what can only happen once per process (toolkit start-up) or must be seen
// from outside (message boxes, the platform Wine reports for a file name).
//   toolkit_probe startup [FILE [FILE2]]  start the toolkit, print the configuration
//   toolkit_probe raise CODE              start the toolkit, report CODE, print what follows
//   toolkit_probe osinfo ITEM...          print QOsInfo of each item
//   toolkit_probe args ...                print QOsInfo(2) and every QOsArgument
//   toolkit_probe sleep MS FILE           wait, then create FILE
//   toolkit_probe touch FILE              create FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "errors/errors.h"
#include "startup/config.h"
#include "startup/startup.h"
#include "utilities/os.h"

namespace {

void Touch(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

void PrintConfig()
{
    const ToolkitConfig& c = TheConfig();
    std::printf("screen=%d %d\n", c.screenWidth, c.screenHeight);
    std::printf("colours=%d %d\n", c.displayColours, c.graduatedColours);
    std::printf("platform=%d %d %d %d\n", c.isWin32s, c.isWindows95, c.isWindowsNT, c.majorVersion);
    std::printf("units=%d %d %d\n", c.generalUnit, c.plotOutputUnit, c.plotInputUnit);
    std::printf("mode=%d\n", ErrorReportingMode());
    std::printf("app=[%s]\n", c.applicationName.str().c_str());
    std::printf("ini=[%s]\n", c.initFileName.str().c_str());
    std::printf("plname=[%s]\n", c.plotterFile.str().c_str());
    std::printf("charset=[%s]\n", c.charsetFile.str().c_str());
    std::printf("chardir=[%s]\n", c.charsetDir.str().c_str());
    std::printf("sysdir=[%s]\n", c.systemDir.str().c_str());
    std::printf("printer=%d\n", c.printerDriver);
    std::printf("plotter=%d\n", c.plotterDriver);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    std::string command = argv[1];
    if (command == "startup") {
        QStartUp(argc > 2 ? argv[2] : " ");
        if (argc > 3) QStartUp(argv[3]);
        PrintConfig();
    } else if (command == "raise" && argc > 2) {
        QStartUp(" ");
        RaiseError(std::atoi(argv[2]));
        std::printf("continued, code %d\n", QErrorInfo(1));
    } else if (command == "osinfo") {
        for (int i = 2; i < argc; ++i) std::printf("%d\n", QOsInfo(std::atoi(argv[i])));
    } else if (command == "args") {
        QStartUp(" ");
        int count = QOsInfo(2);
        std::printf("%d\n", count);
        for (int n = 0; n <= count; ++n) {
            FixedText<261> word;
            QOsArgument(n, word);
            std::printf("[%s]\n", word.str().c_str());
        }
    } else if (command == "sleep" && argc > 3) {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        Touch(argv[3]);
    } else if (command == "touch" && argc > 2) {
        Touch(argv[2]);
    } else {
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
