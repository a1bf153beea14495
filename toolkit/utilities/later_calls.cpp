#include "utilities/later_calls.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "utilities/path_text.h"
#include "windows/root_window.h"

namespace {

bool laterCallsHidden = false;

// The function of a DLL the program already has loaded, or none.
template <typename Function>
Function* LaterCall(const char* module, const char* name)
{
    if (laterCallsHidden) return nullptr;
    const HMODULE dll = GetModuleHandleA(module);
    if (!dll) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

bool HasWildcard(const char* path) { return std::strpbrk(path, "*?") != nullptr; }

}  // namespace

void HideLaterCalls(bool hidden) { laterCallsHidden = hidden; }

bool FileSizeOf(HANDLE file, uint64_t& size)
{
    using GetFileSizeExFn = BOOL WINAPI(HANDLE, PLARGE_INTEGER);
    if (auto* getFileSizeEx = LaterCall<GetFileSizeExFn>("kernel32.dll", "GetFileSizeEx")) {
        LARGE_INTEGER s{};
        if (!getFileSizeEx(file, &s)) return false;
        size = static_cast<uint64_t>(s.QuadPart);
        return true;
    }
    DWORD high = 0;
    SetLastError(NO_ERROR);  // a size whose low word is all ones is told from a failure by the error alone
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool FileAttributesOf(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    using GetFileAttributesExFn = BOOL WINAPI(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
    if (auto* getAttributesEx = LaterCall<GetFileAttributesExFn>("kernel32.dll", "GetFileAttributesExA"))
        return getAttributesEx(path, GetFileExInfoStandard, &data);
    if (HasWildcard(path)) {  // a search would find other files
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    data = WIN32_FILE_ATTRIBUTE_DATA{};
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(path, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        data.dwFileAttributes = found.dwFileAttributes;
        data.ftCreationTime = found.ftCreationTime;
        data.ftLastAccessTime = found.ftLastAccessTime;
        data.ftLastWriteTime = found.ftLastWriteTime;
        data.nFileSizeHigh = found.nFileSizeHigh;
        data.nFileSizeLow = found.nFileSizeLow;
        return true;
    }
    // A root directory is found by no search.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    data.dwFileAttributes = attributes;
    return true;
}

DWORD LongPathOf(const char* path, char* buffer, DWORD size)
{
    using GetLongPathNameFn = DWORD WINAPI(LPCSTR, LPSTR, DWORD);
    if (auto* getLongPathName = LaterCall<GetLongPathNameFn>("kernel32.dll", "GetLongPathNameA"))
        return getLongPathName(path, buffer, size);
    if (HasWildcard(path)) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    const std::string in(path);
    std::size_t at = RootLength(in);
    std::string out = in.substr(0, at);
    while (at < in.size()) {
        std::size_t end = in.find_first_of("\\/", at);
        if (end == std::string::npos) end = in.size();
        const std::string component = in.substr(at, end - at);
        if (component.empty() || component == "." || component == "..") {
            out += component;
        } else {
            WIN32_FIND_DATAA found{};
            const HANDLE search = FindFirstFileA((out + component).c_str(), &found);
            if (search == INVALID_HANDLE_VALUE) return 0;  // as GetLongPathNameA: the path must exist
            FindClose(search);
            out += found.cFileName;
        }
        if (end < in.size()) out += in[end];
        at = end + 1;
    }
    if (out.size() + 1 > size) return static_cast<DWORD>(out.size() + 1);
    std::memcpy(buffer, out.c_str(), out.size() + 1);
    return static_cast<DWORD>(out.size());
}

bool FreeBytesOf(const char* root, uint64_t& freeBytes)
{
    using GetDiskFreeSpaceExFn = BOOL WINAPI(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    if (auto* getFreeSpaceEx = LaterCall<GetDiskFreeSpaceExFn>("kernel32.dll", "GetDiskFreeSpaceExA")) {
        ULARGE_INTEGER available{};
        if (!getFreeSpaceEx(root, &available, nullptr, nullptr)) return false;
        freeBytes = available.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
    // In 64 bits: the product of the three overflows 32 bits from 4 GB free.
    freeBytes = uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
    return true;
}

HWND TopLevelOf(HWND window)
{
    using GetAncestorFn = HWND WINAPI(HWND, UINT);
    if (auto* getAncestor = LaterCall<GetAncestorFn>("user32.dll", "GetAncestor")) return getAncestor(window, GA_ROOT);
    // A child's parent; a top-level window's GetParent would be its owner.
    while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(window);
        if (!parent) break;
        window = parent;
    }
    return window;
}

DWORD WaitForHandlesOrInput(DWORD count, const HANDLE* handles, DWORD milliseconds)
{
    using MsgWaitExFn = DWORD WINAPI(DWORD, const HANDLE*, DWORD, DWORD, DWORD);
    if (auto* msgWaitEx = LaterCall<MsgWaitExFn>("user32.dll", "MsgWaitForMultipleObjectsEx"))
        return msgWaitEx(count, handles, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // The queue's state, without running what other threads sent (a look
    // with PeekMessage would, and its events would wait for the next input).
    // It also marks what is there as seen, so that the wait wakes for
    // whatever comes after it.
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0) return WAIT_OBJECT_0 + count;
    return MsgWaitForMultipleObjects(count, handles, FALSE, milliseconds, QS_ALLINPUT);
}

bool RemoveAtRestart(const char* path, bool directory)
{
    using MoveFileExFn = BOOL WINAPI(LPCSTR, LPCSTR, DWORD);
    if (auto* moveEx = LaterCall<MoveFileExFn>("kernel32.dll", "MoveFileExA")) {
        if (moveEx(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    }
    char shortPath[MAX_PATH] = {};
    if (directory || !GetShortPathNameA(path, shortPath, MAX_PATH)) return false;
    return WritePrivateProfileStringA("rename", "NUL", shortPath, "WININIT.INI") != 0;
}

bool MoveReplacing(const char* from, const char* to)
{
    using MoveFileExFn = BOOL WINAPI(LPCSTR, LPCSTR, DWORD);
    if (auto* moveEx = LaterCall<MoveFileExFn>("kernel32.dll", "MoveFileExA")) {
        if (moveEx(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;  // the Windows 95 family exports a stub
    }
    const DWORD attributes = GetFileAttributesA(to);
    if (attributes == INVALID_FILE_ATTRIBUTES) return MoveFileA(from, to) != 0;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {  // a file never replaces a directory
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Aside under a fresh name of the same directory.
    std::string directory(to);
    const std::size_t slash = directory.find_last_of("\\/");
    directory.resize(slash == std::string::npos ? 0 : slash + 1);
    char aside[MAX_PATH] = {};
    if (!GetTempFileNameA(directory.empty() ? "." : directory.c_str(), "mrw", 0, aside)) return false;
    DeleteFileA(aside);
    if (!MoveFileA(to, aside)) return false;
    if (!MoveFileA(from, to)) {
        const DWORD failed = GetLastError();
        MoveFileA(aside, to);
        SetLastError(failed);
        return false;
    }
    DeleteFileA(aside);
    return true;
}

void LeaveOutInputMethod()
{
    using LayoutListFn = int WINAPI(int, HKL*);
    using DisableFn = BOOL WINAPI(DWORD);
    auto* layoutList = LaterCall<LayoutListFn>("user32.dll", "GetKeyboardLayoutList");
    auto* disable = LaterCall<DisableFn>("imm32.dll", "ImmDisableIME");
    if (!layoutList || !disable) return;
    // More layouts than that: one of them may well compose.
    constexpr int kMostLayouts = 32;
    HKL layouts[kMostLayouts];
    const int count = layoutList(0, nullptr);
    if (count < 1 || count > kMostLayouts || layoutList(count, layouts) != count) return;
    // The handles' low 32 bits hold the layout and its language on 64-bit Windows too.
    uint32_t handles[kMostLayouts];
    for (int i = 0; i < count; ++i) handles[i] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(layouts[i]));
    if (!ComposesThroughInputMethod(std::span(handles, static_cast<std::size_t>(count)))) disable(0);
}

bool StartCommonControls()
{
    // The toolkit's bars, progress bars and trackbars, and the rest of the first set.
    constexpr DWORD kClasses = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES;
    const HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library) return false;
    using InitCommonControlsExFn = BOOL WINAPI(const INITCOMMONCONTROLSEX*);
    if (auto* initEx = LaterCall<InitCommonControlsExFn>("comctl32.dll", "InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX controls = {sizeof controls, kClasses};
        if (initEx(&controls)) return true;
    }
    // Every version has this one; the library registered its classes when it was loaded.
    using InitCommonControlsFn = void WINAPI();
    if (auto* init = reinterpret_cast<InitCommonControlsFn*>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "InitCommonControls"))))
        init();
    return true;
}
