// A program for the scenarios: it opens the installer's root window as
// setup.exe does and shows one step of the run that setup.exe alone does not
// let the robot see (the progress dialog is gone at once, the restart offer
// needs system changes).
//   ui_probe step N    ShowStep(N); for 6 it prints the button pressed
// It keeps its windows painted until the robot ends it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "script/install_plan.h"
#include "ui/background.h"
#include "windows/events.h"

int main(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) != "step") return 2;
    const int32_t step = std::atoi(argv[2]);
    ResetInstallPlan();
    OpenInstallerRootWindow();
    Logical runOK = kFalse;
    ShowStep(step, runOK);
    if (step == 6) return std::printf("%d\n", TheInstallState().restartAnswer), 0;
    for (;;) {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventWait(type, record);
        if (type == kEventRedraw) PaintBackground(0);
        if (type == kEventNone) return 0;
    }
}
