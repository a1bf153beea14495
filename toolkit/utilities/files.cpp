// Block file access.
#include <windows.h>

#include <cstdint>
#include <string>

#include "errors/errors.h"
#include "utilities/files.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"

namespace {

HANDLE AsHandle(int32_t handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }
int32_t AsInteger(HANDLE h) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(h)); }

HANDLE OpenForMode(const std::string& path, int32_t mode)
{
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (mode) {
    case kFileRead:
        return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    case kFileCreate: {
        // Created (or emptied) first, then opened again for writing.
        FileHandle created(
            CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created.valid()) return INVALID_HANDLE_VALUE;
        created.Close();
        return CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    default:
        return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
}

}  // namespace

void QFileOpen(std::string_view name, int32_t mode, int32_t& handle)
{
    handle = -1;
    std::string path;
    if (SignificantLength(name) == 0 || mode < kFileRead || mode > kFileReadWrite) {
        RaiseError(kErrorOpen);
        return;
    }
    if (!SystemPath(name, path)) {
        RaiseFileError(kErrorOpen, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    HANDLE h = OpenForMode(path, mode);
    if (h == INVALID_HANDLE_VALUE) {
        RaiseFileError(kErrorOpen, GetLastError());
        return;
    }
    handle = AsInteger(h);
}

void QFileSeek(int32_t handle, int32_t& offset, int32_t origin)
{
    static constexpr DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < kSeekStart || origin > kSeekEnd) return;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (handle == -1 || !SetFilePointerEx(AsHandle(handle), distance, &position, kMethods[origin])) {
        DWORD error = handle == -1 ? static_cast<DWORD>(ERROR_INVALID_HANDLE) : GetLastError();
        offset = -1;
        RaiseFileError(kErrorReadWrite, error);
        return;
    }
    // The position is a 32-bit integer: files beyond 2 GB are beyond reach.
    if (position.QuadPart > INT32_MAX) {
        offset = -1;
        RaiseFileError(kErrorReadWrite, ERROR_FILE_TOO_LARGE);
        return;
    }
    offset = static_cast<int32_t>(position.QuadPart);
}

void QFileClose(int32_t handle)
{
    if (handle == -1 || !CloseHandle(AsHandle(handle))) {
        DWORD error = handle == -1 ? static_cast<DWORD>(ERROR_INVALID_HANDLE) : GetLastError();
        RaiseFileError(kErrorClose, error);
    }
}
