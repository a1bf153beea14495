#include "robot.h"

#include <shlwapi.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

using namespace std;

namespace robot {

bool WaitUntil(const function<bool()>& done, Duration timeout)
{
    const auto deadline = chrono::steady_clock::now() + timeout;
    for (; !done(); this_thread::sleep_for(10ms))
        if (chrono::steady_clock::now() >= deadline) return false;
    return true;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this == &other) return *this;
    Kill();
    process_ = exchange(other.process_, nullptr);
    id_ = exchange(other.id_, 0);
    return *this;
}

Process Process::Start(const string& commandLine, const StartOptions& options)
{
    // The robot's environment without the variables the options name, then those of them with a value.
    string environment, line = commandLine;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; p && *p; p += strlen(p) + 1)
        if (ranges::none_of(options.environment,
                            [&](auto& v) { return !_strnicmp(p, (v.first + "=").c_str(), v.first.size() + 1); }))
            environment += string(p) + '\0';
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : options.environment)
        if (!value.empty()) environment += name + "=" + value + '\0';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    // A blank name opens nothing.
    HANDLE output =
        CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    const bool captured = output != INVALID_HANDLE_VALUE;
    if (captured) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION info = {};
    const string& directory = options.workingDirectory;
    environment += '\0';
    const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, captured, 0, environment.data(),
                                   directory.empty() ? nullptr : directory.c_str(), &startup, &info);
    if (captured) CloseHandle(output);
    Process p;
    if (!ok) return p;
    CloseHandle(info.hThread);
    p.process_ = info.hProcess;
    p.id_ = info.dwProcessId;
    return p;
}

bool Process::WaitForExit(Duration timeout, DWORD* exitCode)
{
    return process_ && WaitForSingleObject(process_, DWORD(timeout.count())) == WAIT_OBJECT_0 &&
           (!exitCode || GetExitCodeProcess(process_, exitCode));
}

void Process::Kill()
{
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(exchange(process_, nullptr));
    id_ = 0;
}

string WindowText(HWND window)
{
    char text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG, 5000, &copied)) return "";
    return string(text, min<size_t>(copied, sizeof text));
}

string ClassName(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

string ControlText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));  // no control: no text
}

vector<HWND> TopWindows(DWORD processId)
{
    vector<HWND> windows;
    EnumWindows(
        [](HWND w, LPARAM found) {
            ((vector<HWND>*)found)->push_back(w);
            return TRUE;
        },
        LPARAM(&windows));
    erase_if(windows, [&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        return owner != processId;
    });
    return windows;
}

// The first visible top-level window of the process that fits, waited for.
static HWND FirstVisible(DWORD processId, Duration timeout, const function<bool(HWND)>& fits)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(processId)) {
                if (!IsWindowVisible(w) || !fits(w)) continue;
                found = w;
                return true;
            }
            return false;
        },
        timeout);
    return found;
}

HWND WaitForWindow(DWORD processId, const string& caption, const string& className, Duration timeout)
{
    return FirstVisible(processId, timeout, [&](HWND w) {
        return (className.empty() || ClassName(w) == className) && WindowText(w) == caption;
    });
}

MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout)
{
    HWND box =
        FirstVisible(processId, timeout, [](HWND w) { return GetDlgItem(w, 0xFFFF) && ClassName(w) == "#32770"; });
    return {box, box ? WindowText(box) : "", box ? ControlText(box, 0xFFFF) : ""};
}

vector<string> ButtonLabels(HWND dialog)
{
    vector<string> labels;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG type = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;  // not group boxes and check boxes
        if (ClassName(c) == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
            labels.push_back(WindowText(c));
    }
    return labels;
}

bool Press(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    return button && Press(button, PressBy::Post);
}

// What the thread of a window has active and in focus (nothing when that cannot be read).
static GUITHREADINFO ThreadOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}

HWND FocusedWindowOf(HWND anyWindowOfThatThread) { return ThreadOf(anyWindowOfThatThread).hwndFocus; }

// In front, and its thread has taken the activation: keys sent before that have no window to go to.
static bool InFront(HWND window)
{
    SetForegroundWindow(window);
    return WaitUntil(
        [&] {
            const GUITHREADINFO info = ThreadOf(window);
            return GetForegroundWindow() == window && info.hwndActive == window && info.hwndFocus;
        },
        5s);
}

bool Press(HWND button, PressBy how)
{
    DWORD_PTR result = 0;
    if (how == PressBy::Post) return PostMessageA(button, BM_CLICK, 0, 0);
    if (how == PressBy::Send) return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    // Its window in front, then a click whose every event carries the
    // position: Wine may move the pointer back to where X last saw it.
    HWND top = GetAncestor(button, GA_ROOT);
    const RECT r = ScreenRectOf(button);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (!InFront(top) || !SetCursorPos(centre.x, centre.y) ||
        !WaitUntil([&] { return WindowFromPoint(centre) == button; }, 5s))
        return false;
    // A window that has just appeared may still be taking what X says about
    // it (focus, the pointer entering): let its thread catch up first.
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    INPUT input[3] = {};
    const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        input[i].type = INPUT_MOUSE;
        input[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input[i].mi.dx = centre.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input[i].mi.dy = centre.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    return SendInput(3, input, sizeof(INPUT)) == 3;
}

bool PressKey(HWND window, const string& key)
{
    if (!InFront(window)) return false;
    const bool alt = key.starts_with("alt+");
    const string name = key.substr(alt ? 4 : 0);
    const WORD vk = name == "enter"    ? VK_RETURN
                    : name == "escape" ? VK_ESCAPE
                    : name == "space"  ? VK_SPACE
                    : name == "f4"     ? VK_F4
                                       : WORD(toupper(name[0]));
    vector<WORD> keys{vk, vk};
    if (alt) keys = {VK_MENU, vk, vk, VK_MENU};
    vector<INPUT> input(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.dwFlags = i >= keys.size() / 2 ? KEYEVENTF_KEYUP : 0;
    }
    return SendInput(input.size(), input.data(), sizeof(INPUT)) == input.size();
}

Pixel ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

RECT ScreenRectOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientScreenRectOf(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, HWND_DESKTOP, LPPOINT(&r), 2);
    return r;
}

string ProgramDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return string(path).substr(0, string(path).find_last_of('\\'));
}

ScratchDirectory::ScratchDirectory(const string& name) : path("C:\\robot\\" + name)
{
    CreateDirectoryA("C:\\robot", nullptr);
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
}

void RemoveTree(const string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const string name = found.cFileName, child = path + "\\" + name;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(child);
            continue;
        }
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    RemoveDirectoryA(path.c_str());
}

// A file written whole; and read whole, nothing when it cannot be opened.
void WriteFile(const string& path, const string& bytes) { ofstream(path, ios::binary) << bytes; }

string ReadFile(const string& path) { return (ostringstream() << ifstream(path, ios::binary).rdbuf()).str(); }

// 0: nothing there, 1: a file, 2: a directory.
static int KindOf(const string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & FILE_ATTRIBUTE_DIRECTORY ? 2 : 1;
}
bool FileExists(const string& path) { return KindOf(path) == 1; }
bool DirectoryExists(const string& path) { return KindOf(path) == 2; }

void SetWineVersionFor(const string& programName, const string& version)
{
    const string key = "Software\\Wine\\AppDefaults\\" + programName;
    SHSetValueA(HKEY_CURRENT_USER, key.c_str(), "Version", REG_SZ, version.c_str(), version.size() + 1);
}

}  // namespace robot
