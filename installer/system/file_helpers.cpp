#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "system/file_helpers.h"
#include "utilities/fixed_text.h"
#include "utilities/later_calls.h"
#include "utilities/win_handles.h"

namespace {

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
    n = LongPathOf(full.data(), longer.data(), static_cast<DWORD>(longer.size()));
    std::string result = (n == 0 || n > MAX_PATH) ? full.data() : longer.data();
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return result;
}

// Whether two open files are one and the same: the same file of the same
// volume, or else the same full long path in any letter case.
bool SameFile(HANDLE a, const char* aPath, HANDLE b, const char* bPath)
{
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
        (x.nFileIndexHigh | x.nFileIndexLow) != 0)
        return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
               x.nFileIndexLow == y.nFileIndexLow;
    return LongFullPath(aPath) == LongFullPath(bPath);
}

// A plain file, byte for byte, keeping its time of last change. 0 or the
// LZ library's code for a failed read (3) or write (4).
int32_t CopyPlain(HANDLE from, HANDLE to)
{
    static std::vector<char> buffer(256 * 1024);  // one for the run: filling a fresh one per file costs more than the copy
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return 3;
        if (got == 0) break;
        if (!WriteFile(to, buffer.data(), got, &written, nullptr) || written != got) return 4;
    }
    FILETIME changed{};
    if (GetFileTime(from, nullptr, nullptr, &changed)) SetFileTime(to, nullptr, nullptr, &changed);
    return 0;
}

// The LZ library's copy, which expands as it goes, over the two open files;
// it closes the source. LZCopy's errors are negative.
int32_t CopyThroughLz(FileHandle& from, HANDLE to)
{
    const INT source = LZInit(static_cast<HFILE>(reinterpret_cast<INT_PTR>(from.Detach())));
    if (source < 0) return static_cast<int32_t>(-source);
    const LONG copied = LZCopy(source, static_cast<HFILE>(reinterpret_cast<INT_PTR>(to)));
    LZClose(source);
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
    int64_t size = 0;
    CopyExpanded(source, destination, status, size);
}

void CopyExpanded(const char* source, const char* destination, int32_t& status, int64_t& sourceSize)
{
    FileHandle from = OpenForReading(source);
    if (!from.valid()) {
        status = 1;  // as LZCopy reports a source it cannot read
        return;
    }
    if (uint64_t size = 0; FileSizeOf(from.get(), size)) sourceSize = static_cast<int64_t>(size);
    // Opened, not created afresh: when the destination is the source under
    // another name, emptying it would destroy the file before it is read.
    FileHandle to(CreateFileA(destination, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!to.valid() || (existed && (SameFile(from.get(), source, to.get(), destination) || !SetEndOfFile(to.get())))) {
        status = 2;
        return;
    }
    const bool compressed = IsCompressed(from.get());
    if (SetFilePointer(from.get(), 0, nullptr, FILE_BEGIN) != 0) {
        status = 3;
        return;
    }
    status = compressed ? CopyThroughLz(from, to.get()) : CopyPlain(from.get(), to.get());
    if (status != 0) {
        // A part of a file is worse than none: it would pass for the whole.
        to.Close();
        DeleteFileA(destination);
    }
}

void ExpandedFileName(char* path, int32_t)
{
    // Only a compressed file has another name inside; asking the LZ library
    // about every plain file would cost it an open and a read of its own.
    FileHandle file = OpenForReading(path);
    const bool compressed = file.valid() && IsCompressed(file.get());
    file.Close();
    if (compressed) {
        std::array<char, MAX_PATH + 1> expanded{};
        if (GetExpandedNameA(path, expanded.data()) < 0) return;
        std::strncpy(path, expanded.data(), 260);
        path[260] = '\0';
    }
    WIN32_FIND_DATAA found{};
    FindHandle find(FindFirstFileA(path, &found));
    if (!find.valid()) return;
    std::strncpy(path, found.cFileName, 260);
    path[260] = '\0';
}

bool ClearReadOnly(const char* name, int32_t)
{
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
    return SetFileAttributesA(name, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

uint32_t LettersInUse() { return GetLogicalDrives(); }

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
    // The attributes hold the size: no need to open the file.
    const std::string name(TrimmedText(path));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!FileAttributesOf(name.c_str(), data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool FreeBytesOfDrive(std::string_view path, uint64_t& freeBytes)
{
    if (path.size() < 2 || path[1] != ':') return false;
    const char root[4] = {path[0], ':', '\\', '\0'};
    return FreeBytesOf(root, freeBytes);
}

#include "system/dde_callback.h"

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
