// Directory operations, listing and deletion.
#include <windows.h>

#include <string>

#include "errors/errors.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"

namespace {

enum class ListKind { Files, Directories, Both };

ListKind& HeldListKind()
{
    static ListKind kind = ListKind::Files;
    return kind;
}

bool IsDirectory(const WIN32_FIND_DATAA& found) { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool Wanted(const WIN32_FIND_DATAA& found, ListKind kind)
{
    switch (kind) {
    case ListKind::Files: return !IsDirectory(found);
    case ListKind::Directories: return IsDirectory(found);
    default: return true;
    }
}

int32_t PackedLocalDosTime(const FILETIME& written)
{
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
    return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

void ListEntries(std::string_view directory, std::string_view pattern, std::span<DirListEntry> entries,
                 int32_t maxCount, int32_t& count, ListKind kind)
{
    count = 0;
    std::string search(SignificantPart(directory));
    if (!search.empty() && search.back() != '\\' && search.back() != ':') search += '\\';
    search += SignificantPart(pattern);
    std::string path;
    if (!SystemPath(search, path)) {
        RaiseOsError(kErrorOsCommand, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    const int32_t limit = std::min<int32_t>(maxCount, static_cast<int32_t>(entries.size()));
    if (limit <= 0 || path.empty()) return;

    WIN32_FIND_DATAA found;
    FindHandle search_handle(FindFirstFileA(path.c_str(), &found));
    if (!search_handle.valid()) {
        DWORD error = GetLastError();
        // No match is an empty list, not a failure.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            RaiseOsError(kErrorOsCommand, error);
        return;
    }
    do {
        if (!Wanted(found, kind)) continue;
        DirListEntry& entry = entries[static_cast<std::size_t>(count)];
        entry.name.assign(found.cFileName);
        entry.size = (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entry.dosDateTime = PackedLocalDosTime(found.ftLastWriteTime);
        ++count;
    } while (count < limit && FindNextFileA(search_handle.get(), &found));
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

void QOsDirListKind(std::string_view kind)
{
    std::string_view k = SignificantPart(kind);
    HeldListKind() = k == "F" || k == "f"   ? ListKind::Files
                     : k == "D" || k == "d" ? ListKind::Directories
                                            : ListKind::Both;
}

void QOsDirList(std::string_view directory, std::string_view pattern, std::span<DirListEntry> entries, int32_t maxCount,
                int32_t& count)
{
    ListEntries(directory, pattern, entries, maxCount, count, HeldListKind());
}

bool QOsDirExists(std::string_view path)
{
    std::string_view p = SignificantPart(path);
    if (p.empty()) return false;
    if (p == "\\") return true;
    if (p.size() == 3 && IsLetter(p[0]) && p[1] == ':' && p[2] == '\\') {
        char root[] = {p[0], ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
    }
    // A directory search for a name ending in a backslash finds nothing:
    // such a path names the directory before the backslash.
    if (p.back() == '\\') p.remove_suffix(1);
    DirListEntry entry;
    int32_t count = 0;
    ListEntries("", p, std::span(&entry, 1), 1, count, ListKind::Directories);
    return count == 1;
}

void QOsDirMake(std::string_view path)
{
    std::string p;
    if (!SystemPath(path, p)) {
        RaiseOsError(kErrorOsCommand, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (!CreateDirectoryA(p.c_str(), nullptr)) RaiseOsError(kErrorOsCommand, GetLastError());
}

void QOsDirChange(std::string_view path)
{
    std::string p;
    if (!SystemPath(path, p)) {
        RaiseOsError(kErrorOsCommand, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (!SetCurrentDirectoryA(p.c_str())) RaiseOsError(kErrorOsCommand, GetLastError());
}

void QOsDirCurrent(std::span<char> text)
{
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) {
        DWORD error = n == 0 ? GetLastError() : static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE);
        FillText(text, "");
        RaiseOsError(kErrorOsCommand, error);
        return;
    }
    FillText(text, std::string_view(buffer, n));
}

void QOsDelete(std::string_view name)
{
    std::string_view n = SignificantPart(name);
    if (n.empty()) return;
    std::string pattern;
    if (!SystemPath(n, pattern)) {
        RaiseOsError(kErrorOsCommand, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    const std::size_t cut = pattern.find_last_of("\\:");
    const std::string directory = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);

    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern.c_str(), &found));
    if (!search.valid()) {
        RaiseOsError(kErrorOsCommand, GetLastError());
        return;
    }
    do {
        if (IsDirectory(found)) continue;
        std::string target = directory + found.cFileName;
        // A failed deletion is recorded and the search goes on.
        if (!DeleteFileA(target.c_str())) RaiseOsError(kErrorOsCommand, GetLastError());
    } while (FindNextFileA(search.get(), &found));
}
