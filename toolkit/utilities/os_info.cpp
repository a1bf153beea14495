// Program arguments and the system information query.
#include <windows.h>

#include "utilities/command_line.h"
#include "utilities/os.h"

namespace {

struct CommandLineCache {
    FixedText<1024> line;
    bool fetched = false;
};

CommandLineCache& TheCommandLine()
{
    static CommandLineCache cache;
    return cache;
}

}  // namespace

std::string_view CachedCommandLine()
{
    CommandLineCache& cache = TheCommandLine();
    if (!cache.fetched) {
        cache.fetched = true;
        // Everything from the zero byte on becomes blank.
        const char* line = GetCommandLineA();
        cache.line.assign(line ? std::string_view(line) : std::string_view());
    }
    return cache.line.view();
}

void QOsArgument(int32_t n, std::span<char> text)
{
    FillText(text, "");
    if (n < 0) return;
    if (n == 0) {
        char path[MAX_PATH + 1] = {};
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        FillText(text, std::string_view(path, std::min<DWORD>(length, MAX_PATH)));
        return;
    }
    std::vector<std::string_view> words = CommandLineWords(CachedCommandLine());
    if (static_cast<std::size_t>(n) < words.size()) FillText(text, words[static_cast<std::size_t>(n)]);
}

WindowsVersion ReadWindowsVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) return {};
#pragma GCC diagnostic pop
    const int32_t platform = version.dwPlatformId == VER_PLATFORM_WIN32s          ? kPlatformWin32s
                             : version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? kPlatformWindows95
                                                                                  : kPlatformWindowsNT;
    return {platform, static_cast<int32_t>(version.dwMajorVersion), static_cast<int32_t>(version.dwMinorVersion)};
}

int32_t PlatformCode() { return ReadWindowsVersion().platform; }

namespace {

bool CurrentDirectoryIsRoot()
{
    FixedText<261> current;
    QOsDirCurrent(current);
    std::string_view v = current.view();
    // From position 2: ":\" followed by blanks.
    return v.substr(1, 2) == ":\\" && SignificantLength(v) == 3;
}

int32_t FreeBytesOnCurrentDrive()
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(nullptr, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return 0;
    // A 32-bit product, as the operation has always returned: it wraps above 4 GB.
    uint32_t product = static_cast<uint32_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
    return static_cast<int32_t>(product);
}

int32_t DriveTypeOf(char letter)
{
    char root[] = {letter, ':', '\\', '\0'};
    UINT type = GetDriveTypeA(root);
    return type >= 2 ? static_cast<int32_t>(type) - 1 : 0;
}

}  // namespace

int32_t QOsInfo(int32_t item)
{
    switch (item) {
    case 1: return 6;
    case 2: {
        std::size_t words = CommandLineWords(CachedCommandLine()).size();
        return words > 1 ? static_cast<int32_t>(words - 1) : 0;
    }
    case 3: {
        WindowsVersion v = ReadWindowsVersion();
        return v.major * 100 + v.minor;
    }
    case 4: return '*';
    case 5: return '?';
    case 6: return '\\';
    case 7: return 0;
    case 8: return 1;
    case 9: return CurrentDirectoryIsRoot() ? -1 : 0;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14: return 1;
    case 15: return static_cast<int32_t>(GetTickCount());
    case 16: return PlatformCode();
    case 17: return FreeBytesOnCurrentDrive();
    case 18: return 1;
    default:
        if (item >= 'A' && item <= 'Z') return DriveTypeOf(static_cast<char>(item));
        return 0;
    }
}
