// The restart at the end of a run that set environment variables.
#include <windows.h>

#include "system/system_steps.h"
#include "utilities/win_handles.h"

namespace {

// Without the privilege the NT family refuses to restart; results are not
// looked at: when it fails, the user restarts later.
void EnableShutdownPrivilege()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    ObjectHandle owner(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(owner.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

void RestartWindows(int32_t& status)
{
    const InstallState& state = TheInstallState();
    if (IsTrue(state.isWin32s)) {
        status = ExitWindowsEx(0, 0xFFFFFFFF);
        return;
    }
    if (IsTrue(state.isWindowsNT)) EnableShutdownPrivilege();
    status = ExitWindowsEx(EWX_REBOOT, 0);
}
