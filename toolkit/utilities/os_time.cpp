// Date and time.
#include <windows.h>

#include "startup/config.h"
#include "utilities/os.h"

namespace {

// Win32s keeps no time zone: its programs read the system time.
SYSTEMTIME Now()
{
    SYSTEMTIME now = {};
    const ToolkitConfig& config = TheConfig();
    bool win32s = config.started ? config.isWin32s : PlatformCode() == kPlatformWin32s;
    if (win32s)
        GetSystemTime(&now);
    else
        GetLocalTime(&now);
    return now;
}

}  // namespace

void QOsTime(int32_t& hour, int32_t& minute, int32_t& second)
{
    int32_t millisecond = 0;
    QOsTime(hour, minute, second, millisecond);
}

void QOsTime(int32_t& hour, int32_t& minute, int32_t& second, int32_t& millisecond)
{
    SYSTEMTIME now = Now();
    hour = now.wHour;
    minute = now.wMinute;
    second = now.wSecond;
    millisecond = now.wMilliseconds;
}

void QOsDate(int32_t& year, int32_t& month, int32_t& day)
{
    SYSTEMTIME now = Now();
    year = now.wYear;
    month = now.wMonth;
    day = now.wDay;
}
