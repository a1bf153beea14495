#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "system/file_helpers.h"
#include "system/lz_expand.h"
#include "utilities/fixed_text.h"
#include "utilities/later_calls.h"
#include "utilities/text.h"
#include "utilities/win_handles.h"
#include "windows/events.h"

namespace {

// A function of the LZ library, which is loaded when a file first needs it:
// the program's own decoder expands most files, and loading the library with
// the program would slow every start. None when the library is missing.
template <typename Function>
Function* LzCall(const char* name)
{
    HMODULE library = GetModuleHandleA("lz32.dll");
    if (!library) library = LoadLibraryA("lz32.dll");
    if (!library) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

FileHandle OpenForReading(const char* path)
{
    return FileHandle(CreateFileA(InOwnCase(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Whether the file begins with the header of the LZ compressor.
bool IsCompressed(HANDLE file)
{
    std::array<uint8_t, sizeof kLzMagic> head{};
    DWORD got = 0;
    return ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr) && got == head.size() &&
           std::memcmp(head.data(), kLzMagic, head.size()) == 0;
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

// Writes a piece of a copy whole, or gives false with the Windows error: a
// write that takes a part without an error found no room for the rest. The
// windows are served at every 2 MB written, so that they go on answering
// through a large file.
bool WritePiece(HANDLE to, const void* data, DWORD size, uint64_t& written, uint32_t& failure)
{
    constexpr uint64_t kServeEvery = 2 << 20;
    if ((written + size) / kServeEvery != written / kServeEvery) ServeWindowMessages();
    written += size;
    DWORD took = 0;
    SetLastError(ERROR_SUCCESS);
    if (WriteFile(to, data, size, &took, nullptr) && took == size) return true;
    failure = GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : GetLastError();
    return false;
}

// A plain file, byte for byte, keeping its time of last change. 0 or the
// LZ library's code for a failed read (3) or write (4), with the Windows error.
int32_t CopyPlain(HANDLE from, HANDLE to, uint32_t& failure)
{
    // One for the run: filling a fresh one per file costs more than the copy.
    static std::vector<char> buffer(256 * 1024);
    for (uint64_t written = 0;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            failure = GetLastError();
            return 3;
        }
        if (got == 0) break;
        if (!WritePiece(to, buffer.data(), got, written, failure)) return 4;
    }
    FILETIME changed{};
    if (GetFileTime(from, nullptr, nullptr, &changed)) SetFileTime(to, nullptr, nullptr, &changed);
    return 0;
}

// The expanded length a compressed file's header gives (the source read
// from its start), or -1 when the header is cut short.
int64_t HeaderLength(HANDLE file)
{
    std::array<uint8_t, kLzHeaderSize> head{};
    DWORD got = 0;
    if (!ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr) || got != head.size()) return -1;
    return LzHeaderLength(head.data());
}

// The LZ library's copy, which expands as it goes, over the two open files;
// it closes the source. LZCopy's errors are negative. The library stops at
// the end of what it reads: an expansion of another length than the header
// gives is a damaged file, read error 3, never a finished copy.
int32_t CopyThroughLz(FileHandle& from, HANDLE to, uint32_t& failure)
{
    const int64_t length = HeaderLength(from.get());
    if (length < 0 || SetFilePointer(from.get(), 0, nullptr, FILE_BEGIN) != 0) {
        failure = ERROR_INVALID_DATA;
        return 3;
    }
    auto* init = LzCall<decltype(LZInit)>("LZInit");
    auto* copy = LzCall<decltype(LZCopy)>("LZCopy");
    auto* close = LzCall<decltype(LZClose)>("LZClose");
    if (!init || !copy || !close) {
        failure = GetLastError();
        return 3;
    }
    const HANDLE source = from.Detach();
    const INT lz = init(static_cast<HFILE>(reinterpret_cast<INT_PTR>(source)));
    if (lz < 0) {
        CloseHandle(source);  // not the library's to close when it took nothing
        return static_cast<int32_t>(-lz);
    }
    const LONG copied = copy(lz, static_cast<HFILE>(reinterpret_cast<INT_PTR>(to)));
    failure = copied >= 0 ? 0 : GetLastError();
    close(lz);
    if (copied < 0) return static_cast<int32_t>(-copied);
    if (copied != length) {
        failure = ERROR_INVALID_DATA;
        return 3;
    }
    return 0;
}

// A compressed file expanded by the program's own decoder, 0 or 3 (read)
// or 4 (write) as CopyPlain gives them; a damaged file is read error 3.
// Another mode than the decoder's is left to the LZ library.
int32_t CopyCompressed(FileHandle& from, HANDLE to, uint32_t& failure)
{
    uint64_t written = 0;
    const LzStreamResult expanded = ExpandLzStream(
        [&](uint8_t* buffer, std::size_t capacity, std::size_t& got) {
            DWORD read = 0;
            const bool done = ReadFile(from.get(), buffer, static_cast<DWORD>(capacity), &read, nullptr);
            if (!done) failure = GetLastError();  // the writes that follow set errors of their own
            got = read;
            return done;
        },
        [&](const uint8_t* data, std::size_t size) {
            return WritePiece(to, data, static_cast<DWORD>(size), written, failure);
        });
    switch (expanded.outcome) {
    case LzOutcome::kExpanded: return 0;
    case LzOutcome::kWriteFailed: return 4;
    case LzOutcome::kReadFailed: return 3;
    case LzOutcome::kNotTaken:
        if (SetFilePointer(from.get(), 0, nullptr, FILE_BEGIN) == 0) return CopyThroughLz(from, to, failure);
        failure = GetLastError();
        return 3;
    default: failure = ERROR_INVALID_DATA; return 3;
    }
}

// The directory part of a path with its closing backslash; "." for none.
std::string DirectoryOf(const char* path)
{
    const std::string p(path);
    const std::size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? "." : p.substr(0, slash + 1);
}

}  // namespace

// A path under the program's own directory, which the installer names in
// capitals, in the letter case the system gave for that directory. Windows
// takes either, but Wine finds a name of another case than the one on disk
// only by reading every directory along the path: once per source file.
std::string InOwnCase(std::string_view path)
{
    std::string result(path);
    char own[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    const char* slash = length > 0 && length < MAX_PATH ? std::strrchr(own, '\\') : nullptr;
    if (!slash) return result;
    const std::size_t directory = static_cast<std::size_t>(slash - own) + 1;
    std::string capitals(own, directory);
    QStrUpper(capitals);  // as the installer names its directory
    if (result.size() > directory && result.compare(0, directory, capitals) == 0)
        result.replace(0, directory, own, directory);
    return result;
}

void FileExists(std::string_view name, Logical& exists)
{
    const std::string path(TrimmedText(name));
    FileHandle h = path.empty() ? FileHandle() : OpenForReading(path.c_str());
    exists = h.valid() ? kTrue : kFalse;
}

void CopyExpanded(const char* source, int32_t, const char* destination, int32_t, int32_t& status)
{
    int64_t size = 0;
    uint32_t failure = 0;
    CopyExpanded(source, destination, status, size, failure);
}

void CopyExpanded(const char* source, const char* destination, int32_t& status, int64_t& sourceSize, uint32_t& failure,
                  bool* replaced)
{
    failure = 0;
    FileHandle from = OpenForReading(source);
    if (!from.valid()) {
        failure = GetLastError();
        status = 1;  // as LZCopy reports a source it cannot read
        return;
    }
    if (uint64_t size = 0; FileSizeOf(from.get(), size)) sourceSize = static_cast<int64_t>(size);
    // A new file is created where it goes, never over one that is there, and
    // goes again when the copy fails. Where nothing is yet, the usual case,
    // that is the only look-up of the name: under Wine a name not there costs
    // a read of the whole directory, which holds every file copied before.
    FileHandle to(CreateFileA(destination, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool created = to.valid();
    const DWORD notCreated = created ? 0 : GetLastError();
    // Something is there. The destination being the source under another
    // name: replacing it would take the file away. A file of an earlier
    // installation: the copy goes to a fresh file beside it, which takes its
    // place only once whole. Anything else (a directory) is the error of the
    // creation.
    bool earlier = false;
    if (notCreated == ERROR_FILE_EXISTS || notCreated == ERROR_ALREADY_EXISTS) {
        if (FileHandle old = OpenForReading(destination); old.valid()) {
            if (SameFile(from.get(), source, old.get(), destination)) {
                status = 2;
                return;
            }
            earlier = true;
        }
    }
    char temporary[MAX_PATH] = {};
    if (earlier && !GetTempFileNameA(DirectoryOf(destination).c_str(), "mrw", 0, temporary)) {
        failure = GetLastError();
        status = 2;
        return;
    }
    DWORD openError = notCreated;
    if (earlier) {
        to = FileHandle(
            CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        openError = to.valid() ? 0 : GetLastError();
    }
    const char* written = earlier ? temporary : destination;
    const bool compressed = IsCompressed(from.get());
    if (!to.valid()) {
        failure = openError;
        status = 2;
    } else if (SetFilePointer(from.get(), 0, nullptr, FILE_BEGIN) != 0) {
        failure = GetLastError();
        status = 3;
    } else {
        status = compressed ? CopyCompressed(from, to.get(), failure) : CopyPlain(from.get(), to.get(), failure);
    }
    to.Close();
    if (status == 0 && earlier) {
        // A read-only file of an earlier installation is replaced as any other.
        const DWORD attributes = GetFileAttributesA(destination);
        const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        if (readOnly) SetFileAttributesA(destination, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        if (!MoveReplacing(temporary, destination)) {
            failure = GetLastError();
            status = 4;
            if (readOnly) SetFileAttributesA(destination, attributes);
        }
    }
    if (status != 0 && (earlier || created)) DeleteFileA(written);
    if (replaced) *replaced = earlier;
}

int64_t ExpandedSize(const char* path)
{
    FileHandle file = OpenForReading(path);
    uint64_t size = 0;
    if (!file.valid() || !FileSizeOf(file.get(), size)) return -1;
    if (!IsCompressed(file.get()) || SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) != 0)
        return static_cast<int64_t>(size);
    const int64_t length = HeaderLength(file.get());
    return length < 0 ? static_cast<int64_t>(size) : length;
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
        auto* expandedName = LzCall<decltype(GetExpandedNameA)>("GetExpandedNameA");
        if (!expandedName || expandedName(path, expanded.data()) < 0) return;
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
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;  // no attributes to write back
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
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
    const std::string name = InOwnCase(TrimmedText(path));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!FileAttributesOf(name.c_str(), data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
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
