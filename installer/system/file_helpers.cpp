#include <windows.h>

#include <string>

#include "system/file_helpers.h"
#include "utilities/fixed_text.h"

void FileExists(std::string_view name, Logical& exists)
{
    const std::string path(TrimmedText(name));
    HANDLE h = path.empty() ? INVALID_HANDLE_VALUE
                            : CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    exists = h != INVALID_HANDLE_VALUE ? kTrue : kFalse;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t)
{
    const UINT type = GetDriveTypeA(root);
    installable = (type == DRIVE_FIXED || type == DRIVE_REMOTE) ? 1 : 0;
    return static_cast<int32_t>(type);
}
