// Running another program.
#include <windows.h>

#include <algorithm>
#include <string>

#include "errors/errors.h"
#include "startup/config.h"
#include "utilities/later_calls.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"
#include "windows/events_internal.h"

namespace {

// Waits for the process while the program's own windows go on being served:
// a wait that blocked the thread would leave them unpainted and make every
// program that sends them a message (a broadcast, DDE) wait for us in turn.
// Messages are dispatched as the event loop does, so their events are kept.
DWORD WaitServingMessages(HANDLE process, int32_t timeoutSeconds)
{
    const bool limited = timeoutSeconds >= 0;
    const DWORD limit = static_cast<DWORD>(
        std::min<uint64_t>(static_cast<uint64_t>(limited ? timeoutSeconds : 0) * 1000u, INFINITE - 1));
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD remaining = INFINITE;
        if (limited) {
            const DWORD elapsed = GetTickCount() - start;  // right across the counter's wrap
            remaining = elapsed >= limit ? 0 : limit - elapsed;
        }
        const DWORD woke = WaitForHandlesOrInput(1, &process, remaining);
        if (woke != WAIT_OBJECT_0 + 1) return woke;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Not ours to end the loop: the event wait sees it again.
                PostQuitMessage(static_cast<int>(message.wParam));
                return WaitForSingleObject(process, remaining);
            }
            DispatchToolkitMessage(message);
        }
    }
}

}  // namespace

void QOsExecute(std::string_view command, int32_t options, int32_t timeoutSeconds)
{
    if (SignificantLength(command) == 0) return;
    std::string line;
    if (!SystemPath(command, line)) {
        RaiseOsError(kErrorOsCommand, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    const bool hidden = (options & kExecuteHidden) != 0;
    const bool wait = (options & kExecuteWait) != 0;
    const ToolkitConfig& config = TheConfig();
    const bool win32s = config.started ? config.isWin32s : PlatformCode() == kPlatformWin32s;

    if (!wait || win32s) {
        UINT started = WinExec(line.c_str(), hidden ? SW_HIDE : SW_SHOWNORMAL);
        if (started < 32) RaiseOsError(kErrorOsCommand, started);
        return;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process)) {
        RaiseOsError(kErrorOsCommand, GetLastError());
        return;
    }
    ObjectHandle processHandle(process.hProcess);
    ObjectHandle threadHandle(process.hThread);
    switch (WaitServingMessages(processHandle.get(), timeoutSeconds)) {
    case WAIT_OBJECT_0: break;
    case WAIT_TIMEOUT: RaiseError(kErrorTimedOut); break;
    default: RaiseOsError(kErrorOsCommand, GetLastError()); break;
    }
}
