// Running another program.
#include <windows.h>

#include <algorithm>
#include <string>

#include "errors/errors.h"
#include "startup/config.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"

void QOsExecute(std::string_view command, int32_t options, int32_t timeoutSeconds)
{
    if (SignificantLength(command) == 0) return;
    std::string line;
    if (!SystemPath(command, line)) {
        RaiseOsError(13, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    const bool hidden = (options & kExecuteHidden) != 0;
    const bool wait = (options & kExecuteWait) != 0;
    const ToolkitConfig& config = TheConfig();
    const bool win32s = config.started ? config.isWin32s : PlatformCode() == kPlatformWin32s;

    if (!wait || win32s) {
        UINT started = WinExec(line.c_str(), hidden ? SW_HIDE : SW_SHOWNORMAL);
        if (started < 32) RaiseOsError(13, started);
        return;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process)) {
        RaiseOsError(13, GetLastError());
        return;
    }
    ObjectHandle processHandle(process.hProcess);
    ObjectHandle threadHandle(process.hThread);
    const uint64_t milliseconds = static_cast<uint64_t>(timeoutSeconds) * 1000u;
    const DWORD limit = timeoutSeconds < 0 ? INFINITE : static_cast<DWORD>(std::min<uint64_t>(milliseconds, INFINITE - 1));
    switch (WaitForSingleObject(processHandle.get(), limit)) {
    case WAIT_OBJECT_0: break;
    case WAIT_TIMEOUT: RaiseError(1034); break;
    default: RaiseOsError(13, GetLastError()); break;
    }
}
