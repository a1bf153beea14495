#include "robot.h"

#include <algorithm>
#include <thread>

namespace robot {

bool WaitUntil(const std::function<bool()>& done, Duration timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;; std::this_thread::sleep_for(10ms))
        if (done()) return true;
        else if (std::chrono::steady_clock::now() >= deadline) return false;
}

Process& Process::operator=(Process&& other) noexcept
{ return this != &other ? (Kill(), process_ = std::exchange(other.process_, nullptr), id_ = std::exchange(other.id_, 0), *this) : *this; }

Process Process::Start(const std::string& commandLine, const StartOptions& options)
{
    // The robot's environment without the variables the options name, then those of them with a value.
    std::string environment, line = commandLine;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; p && *p; p += strlen(p) + 1)
        if (std::none_of(options.environment.begin(), options.environment.end(), [&](const auto& v) { return !_strnicmp(p, (v.first + "=").c_str(), v.first.size() + 1); }))
            environment += std::string(p) + '\0';
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : options.environment)
        if (!value.empty()) environment += name + "=" + value + '\0';
    STARTUPINFOA startup{}; startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = options.outputFile.empty() ? INVALID_HANDLE_VALUE
        : CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output != INVALID_HANDLE_VALUE)
        startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdOutput = startup.hStdError = output, startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, 0, (environment + '\0').data(),
                                   options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &startup, &info);
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    Process p;
    if (ok) CloseHandle(info.hThread), p.process_ = info.hProcess, p.id_ = info.dwProcessId;
    return p;
}

bool Process::WaitForExit(Duration timeout, DWORD* exitCode)
{ return process_ && WaitForSingleObject(process_, DWORD(timeout.count())) == WAIT_OBJECT_0 && (!exitCode || GetExitCodeProcess(process_, exitCode)); }

void Process::Kill()
{
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99), WaitForSingleObject(process_, 5000);
    if (process_) CloseHandle(std::exchange(process_, nullptr)), id_ = 0;
}

RunResult Run(const std::string& commandLine, StartOptions options, Duration timeout)
{
    static int serial = 0; char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    options.outputFile = std::string(temp) + "robot-output-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + ".txt";
    RunResult result;
    if (Process p = Process::Start(commandLine, options); p.started() && !p.WaitForExit(timeout, &result.exitCode)) result.exitCode = ~0u;
    std::erase(result.output = ReadFile(options.outputFile), '\r');  // the C runtime writes "\n" as CR LF
    DeleteFileA(options.outputFile.c_str());
    return result;
}

std::string WindowText(HWND window)
{
    char text[4096] = {}; DWORD_PTR copied = 0;
    return SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG, 5000, &copied) ? std::string(text, std::min<std::size_t>(copied, sizeof text)) : "";
}

std::string ClassName(HWND window) { char name[256] = {}; return std::string(name, std::size_t(std::max(0, GetClassNameA(window, name, sizeof name)))); }

std::string ControlText(HWND dialog, int id) { HWND control = GetDlgItem(dialog, id); return control ? WindowText(control) : std::string(); }

std::vector<HWND> TopWindows(DWORD processId)
{
    std::pair<DWORD, std::vector<HWND>> search{processId, {}};
    EnumWindows([](HWND w, LPARAM p) -> BOOL {
        auto& [id, found] = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(p);
        DWORD owner = 0;
        return GetWindowThreadProcessId(w, &owner), owner == id ? found.push_back(w) : void(), TRUE;
    }, LPARAM(&search));
    return search.second;
}

// The first visible top-level window of the process that fits, waited for.
static HWND FirstVisible(DWORD processId, Duration timeout, const std::function<bool(HWND)>& fits)
{
    HWND found = nullptr;
    WaitUntil([&] { return std::ranges::any_of(TopWindows(processId), [&](HWND w) { return IsWindowVisible(w) && fits(w) && (found = w); }); }, timeout);
    return found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, const std::string& className, Duration timeout)
{ return FirstVisible(processId, timeout, [&](HWND w) { return (className.empty() || ClassName(w) == className) && WindowText(w) == caption; }); }

MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout)
{
    HWND box = FirstVisible(processId, timeout, [](HWND w) { return GetDlgItem(w, 0xFFFF) && ClassName(w) == "#32770"; });
    return {box, box ? WindowText(box) : "", box ? ControlText(box, 0xFFFF) : ""};
}

std::vector<std::string> ButtonLabels(HWND dialog)
{
    std::vector<std::string> labels;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))  // not group boxes and check boxes
        if (const LONG type = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK; ClassName(c) == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
            labels.push_back(WindowText(c));
    return labels;
}

bool Press(HWND dialog, int buttonId) { HWND button = GetDlgItem(dialog, buttonId); return button && Press(button, PressBy::Post); }

// In front, and its thread has taken the activation: keys sent before that have no window to go to.
static bool InFront(HWND window)
{
    GUITHREADINFO info{};
    return SetForegroundWindow(window), WaitUntil([&] {
        info.cbSize = sizeof info;
        return GetForegroundWindow() == window && GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
               info.hwndActive == window && info.hwndFocus; }, 5s);
}

bool Press(HWND button, PressBy how)
{
    DWORD_PTR result = 0;
    if (how == PressBy::Post) return PostMessageA(button, BM_CLICK, 0, 0) != 0;
    if (how == PressBy::Send) return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
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
    DWORD_PTR caughtUp = 0;
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &caughtUp);
    INPUT input[3] = {}; const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i)
        input[i].type = INPUT_MOUSE, input[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
        input[i].mi.dx = centre.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1), input[i].mi.dy = centre.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    return SendInput(3, input, sizeof(INPUT)) == 3;
}

bool PressKey(HWND window, const std::string& key)
{
    if (!InFront(window)) return false;
    const bool alt = key.starts_with("alt+");
    const std::string name = alt ? key.substr(4) : key;
    const WORD vk = name == "enter" ? VK_RETURN : name == "escape" ? VK_ESCAPE : name == "space" ? VK_SPACE : name == "f4" ? VK_F4 : WORD(toupper(name[0]));
    const std::vector<WORD> keys = alt ? std::vector<WORD>{VK_MENU, vk, vk, VK_MENU} : std::vector<WORD>{vk, vk};
    std::vector<INPUT> input(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        input[i].type = INPUT_KEYBOARD, input[i].ki.wVk = keys[i], input[i].ki.dwFlags = i >= keys.size() / 2 ? KEYEVENTF_KEYUP : 0;
    return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

Pixel ScreenPixel(int x, int y)
{ HDC screen = GetDC(nullptr); const COLORREF c = GetPixel(screen, x, y); ReleaseDC(nullptr, screen); return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

HWND FocusedWindowOf(HWND anyWindowOfThatThread)
{
    GUITHREADINFO info{}; info.cbSize = sizeof info; return GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThatThread, nullptr), &info) ? info.hwndFocus : nullptr;
}

RECT ScreenRectOf(HWND window) { RECT r{}; return GetWindowRect(window, &r), r; }

RECT ClientScreenRectOf(HWND window) { RECT r{}; return GetClientRect(window, &r), MapWindowPoints(window, HWND_DESKTOP, LPPOINT(&r), 2), r; }

std::string ProgramDirectory()
{ char path[MAX_PATH] = {}; GetModuleFileNameA(nullptr, path, MAX_PATH); return std::string(path).substr(0, std::string(path).find_last_of('\\')); }

ScratchDirectory::ScratchDirectory(const std::string& name) : path_("C:\\robot\\" + name)
{ CreateDirectoryA("C:\\robot", nullptr), RemoveTree(path_), CreateDirectoryA(path_.c_str(), nullptr); }

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (const std::string name = found.cFileName, child = path + "\\" + name; name == "." || name == "..") continue;
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
        else SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL), DeleteFileA(child.c_str());
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    RemoveDirectoryA(path.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h != INVALID_HANDLE_VALUE) ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr), CloseHandle(h);
}

std::string ReadFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes; char buffer[65536]; DWORD n = 0;
    while (h != INVALID_HANDLE_VALUE && ::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return bytes;
}

static DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool FileExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES && !(Attributes(path) & FILE_ATTRIBUTE_DIRECTORY); }
bool DirectoryExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES && (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY); }

void SetWineVersionFor(const std::string& programName, const std::string& version)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + programName).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr))
        return;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()), static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
}

}  // namespace robot
