#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

#include "system/file_helpers.h"
#include "utilities/fixed_text.h"
#include "utilities/win_handles.h"

namespace {

// LZ handles, closed by LZClose.
class LzHandle {
public:
    explicit LzHandle(INT h) : h_(h) {}
    LzHandle(const LzHandle&) = delete;
    LzHandle& operator=(const LzHandle&) = delete;
    ~LzHandle()
    {
        if (h_ >= 0) LZClose(h_);
    }
    INT get() const { return h_; }

private:
    INT h_;
};

FileHandle OpenForReading(const char* path)
{
    return FileHandle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Whether the file begins with the header of the LZ compressor.
bool IsCompressed(HANDLE file)
{
    static constexpr std::array<unsigned char, 8> kMagic = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    std::array<unsigned char, 8> head{};
    DWORD got = 0;
    return ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr) && got == head.size() &&
           head == kMagic;
}

std::string LongFullPath(const char* path)
{
    std::array<char, MAX_PATH + 1> full{}, longer{};
    DWORD n = GetFullPathNameA(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n > MAX_PATH) return path;
    n = GetLongPathNameA(full.data(), longer.data(), static_cast<DWORD>(longer.size()));
    std::string result = (n == 0 || n > MAX_PATH) ? full.data() : longer.data();
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return result;
}

// Whether the destination is the source itself under another name: the same
// file of the same volume, or the same full long path in any letter case.
bool SameFile(HANDLE source, const char* sourcePath, const char* destinationPath)
{
    FileHandle destination = OpenForReading(destinationPath);
    if (!destination.valid()) return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (GetFileInformationByHandle(source, &a) && GetFileInformationByHandle(destination.get(), &b) &&
        a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
        a.nFileIndexLow == b.nFileIndexLow && (a.nFileIndexHigh | a.nFileIndexLow) != 0)
        return true;
    return LongFullPath(sourcePath) == LongFullPath(destinationPath);
}

// The LZ library's copy: expands as it goes. LZCopy's errors are negative.
int32_t CopyThroughLz(const char* source, const char* destination)
{
    OFSTRUCT sourceInfo{}, destinationInfo{};
    LzHandle from(LZOpenFileA(const_cast<char*>(source), &sourceInfo, OF_READ));
    LzHandle to(LZOpenFileA(const_cast<char*>(destination), &destinationInfo, OF_CREATE));
    const LONG copied = LZCopy(from.get(), to.get());
    return copied >= 0 ? 0 : static_cast<int32_t>(-copied);
}

}  // namespace

void FileExists(std::string_view name, Logical& exists)
{
    const std::string path(TrimmedText(name));
    FileHandle h = path.empty() ? FileHandle() : OpenForReading(path.c_str());
    exists = h.valid() ? kTrue : kFalse;
}

void CopyExpanded(const char* source, int32_t, const char* destination, int32_t, int32_t& status)
{
    FileHandle from = OpenForReading(source);
    if (!from.valid()) {
        status = 1;  // as LZCopy reports a source it cannot open
        return;
    }
    // Creating the destination would empty the source before it is read.
    if (SameFile(from.get(), source, destination)) {
        status = 2;
        return;
    }
    const bool compressed = IsCompressed(from.get());
    from.Close();
    if (compressed) {
        status = CopyThroughLz(source, destination);
        return;
    }
    // A plain file needs no expansion; the system's copy is many times faster
    // than the LZ library's byte loop.
    status = CopyFileA(source, destination, FALSE) ? 0 : 4;
}

void ExpandedFileName(char* path, int32_t)
{
    std::array<char, MAX_PATH + 1> expanded{};
    if (GetExpandedNameA(path, expanded.data()) < 0) return;
    std::strncpy(path, expanded.data(), 260);
    path[260] = '\0';
    WIN32_FIND_DATAA found{};
    FindHandle find(FindFirstFileA(path, &found));
    if (!find.valid()) return;
    std::strncpy(path, found.cFileName, 260);
    path[260] = '\0';
}

bool ClearReadOnly(const char* name, int32_t)
{
    const DWORD attributes = GetFileAttributesA(name);
    return SetFileAttributesA(name, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

int32_t IsInstallableDrive(int32_t& installable, const char* root, int32_t)
{
    const UINT type = GetDriveTypeA(root);
    installable = (type == DRIVE_FIXED || type == DRIVE_REMOTE) ? 1 : 0;
    return static_cast<int32_t>(type);
}

void ToShortPathName(char* path, int32_t pathLength)
{
    std::string shorter(static_cast<std::size_t>(pathLength) + 1, '\0');
    const DWORD n = GetShortPathNameA(path, shorter.data(), static_cast<DWORD>(pathLength));
    if (n == 0 || n >= static_cast<DWORD>(pathLength)) return;
    std::memcpy(path, shorter.data(), n + 1);
}

bool SourceFileSize(std::string_view path, int64_t& size)
{
    const std::string name(TrimmedText(path));
    FileHandle file = OpenForReading(name.c_str());
    LARGE_INTEGER bytes{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &bytes)) return false;
    size = bytes.QuadPart;
    return true;
}

bool FreeBytesOfDrive(std::string_view path, uint64_t& freeBytes)
{
    if (path.size() < 2 || path[1] != ':') return false;
    const char root[4] = {path[0], ':', '\\', '\0'};
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(root, &available, nullptr, nullptr)) return false;
    freeBytes = available.QuadPart;
    return true;
}

#include "system/dde_callback.h"

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
