// The demo application that the demo medium installs: it greets and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr, "Demo Application\rVersion 1.0", "Demo", MB_OK | MB_ICONINFORMATION);
    return 0;
}
