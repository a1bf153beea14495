#pragma once
// Operating-system operations: arguments, system information, directories,
// deletion, date and time, running programs.

#include <cstdint>
#include <span>
#include <string_view>

#include "utilities/fixed_text.h"

void QOsArgument(int32_t n, std::span<char> text);
int32_t QOsInfo(int32_t item);

bool QOsDirExists(std::string_view path);
void QOsDirMake(std::string_view path);
void QOsDirChange(std::string_view path);
void QOsDirCurrent(std::span<char> text);

// One entry of a directory listing.
struct DirListEntry {
    FixedText<261> name;
    int64_t size = 0;
    int32_t dosDateTime = 0;  // DOS date in the high word, time in the low word, local time
};
// Which entries QOsDirList returns: "F" files, "D" directories, anything else both.
void QOsDirListKind(std::string_view kind);
void QOsDirList(std::string_view directory, std::string_view pattern, std::span<DirListEntry> entries, int32_t maxCount,
                int32_t& count);

void QOsDelete(std::string_view name);

void QOsTime(int32_t& hour, int32_t& minute, int32_t& second);
void QOsTime(int32_t& hour, int32_t& minute, int32_t& second, int32_t& millisecond);
void QOsDate(int32_t& year, int32_t& month, int32_t& day);

enum : int32_t { kExecuteHidden = 1, kExecuteWait = 2 };
void QOsExecute(std::string_view command, int32_t options = 0, int32_t timeoutSeconds = -1);

// Platform codes of QOsInfo(16).
enum : int32_t { kPlatformWin32s = 2, kPlatformWindows95 = 3, kPlatformWindowsNT = 4 };

// The running Windows, read from the operating system.
struct WindowsVersion {
    int32_t platform = kPlatformWindowsNT;
    int32_t major = 0;
    int32_t minor = 0;
};
int32_t PlatformCode();
WindowsVersion ReadWindowsVersion();
// The program's command line, fetched once into a 1024-character field.
std::string_view CachedCommandLine();

// A path as handed to the operating system: the significant part of the
// text, at most 255 characters. Longer paths are refused (false): cutting one
// would name another file.
constexpr std::size_t kMaxSystemPath = 255;
bool SystemPath(std::string_view text, std::string& path);
