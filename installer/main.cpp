// setup.exe: the process entry runs the installation; there are no
// command-line options.
#include <windows.h>

#include "driver/installer_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InstallerMain();
    return 0;
}
