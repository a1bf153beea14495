// A program for the robot: it opens the installer's root window as setup.exe
// does and then shows one thing the robot checks from outside.
//   ui_probe paint STYLE MODE [START END TITLE FONT] [MESSAGE]
//       colours as r,g,b; MESSAGE lines separated by "|"
//   ui_probe step N            ShowStep(N); for 6 prints the button pressed
//   ui_probe picture FILE X1 Y1 X2 Y2
//       paints the default background, draws FILE into that area, prints the error code
// It writes "ready" into the file named by MARROW_READY once it has drawn,
// then keeps its windows painted until the robot ends it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics.h"
#include "script/install_plan.h"
#include "startup/startup.h"
#include "ui/background.h"
#include "windows/events.h"
#include "windows/root_window.h"

namespace {

void Ready()
{
    std::fflush(stdout);
    if (const char* path = std::getenv("MARROW_READY")) {
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, "ready", 5, &written, nullptr);
            CloseHandle(h);
        }
    }
}

ColourTriple Colour(const char* text)
{
    ColourTriple c;
    std::sscanf(text, "%d,%d,%d", &c.red, &c.green, &c.blue);
    return c;
}

// Keeps the background painted until the process is ended.
[[noreturn]] void Idle(int32_t paintMode)
{
    for (;;) {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventWait(type, record);
        if (type == kEventRedraw && paintMode >= 0) PaintBackground(paintMode);
        if (type == kEventNone) ExitProcess(0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const std::string command = argv[1];
    ResetInstallPlan();
    GeneralSettings& general = TheInstallPlan().general;
    if (command == "paint" && argc >= 4) {
        general.backgroundStyle = std::atoi(argv[2]);
        const int32_t mode = std::atoi(argv[3]);
        if (argc >= 8) {
            general.startFillColour = Colour(argv[4]);
            general.endFillColour = Colour(argv[5]);
            general.titleColour = Colour(argv[6]);
            general.font = std::atoi(argv[7]);
        }
        if (argc >= 9) {
            std::string message = argv[8];
            for (std::size_t at; (at = message.find('|')) != std::string::npos;) message.replace(at, 1, "\r\n");
            general.message.assign(message);
        }
        OpenInstallerRootWindow();
        PaintBackground(mode);
        Ready();
        Idle(mode);
    }
    if (command == "step" && argc >= 3) {
        OpenInstallerRootWindow();
        Logical runOK = kFalse;
        const int32_t step = std::atoi(argv[2]);
        if (step == 6) {
            Ready();
            ShowStep(6, runOK);
            std::printf("%d\n", TheInstallState().restartAnswer);
            std::fflush(stdout);
            return 0;
        }
        ShowStep(step, runOK);
        Ready();
        Idle(0);
    }
    if (command == "picture" && argc >= 7) {
        OpenInstallerRootWindow();
        PaintBackground(0);
        QErrorInfo(1);
        QGrArea(static_cast<float>(std::atof(argv[3])), static_cast<float>(std::atof(argv[4])),
                static_cast<float>(std::atof(argv[5])), static_cast<float>(std::atof(argv[6])));
        QGrLoadImage(argv[2], 0);
        std::printf("%d\n", QErrorInfo(1));
        Ready();
        Idle(-1);
    }
    return 2;
}
