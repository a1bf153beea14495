#include <windows.h>

#include "system/file_helpers.h"

int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t)
{
    const UINT type = GetDriveTypeA(root);
    installable = (type == DRIVE_FIXED || type == DRIVE_REMOTE) ? 1 : 0;
    return static_cast<int32_t>(type);
}
