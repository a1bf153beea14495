#include "robot.h"

#include <algorithm>
#include <map>
#include <thread>

namespace robot {

bool WaitUntil(const std::function<bool()>& done, Duration timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process::~Process() { Kill(); }

namespace {

// The robot's environment with the overrides applied, as a CreateProcess block.
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& overrides)
{
    std::map<std::string, std::string> variables;  // upper-cased name -> "Name=value"
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
        return s;
    };
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += strlen(p) + 1) {
            std::string entry = p;
            std::size_t eq = entry.find('=', 1);
            if (eq == std::string::npos) continue;
            variables[upper(entry.substr(0, eq))] = entry;
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : overrides) {
        if (value.empty()) variables.erase(upper(name));
        else variables[upper(name)] = name + "=" + value;
    }
    std::string result;
    for (const auto& [key, entry] : variables) result += entry + '\0';
    result += '\0';
    return result;
}

}  // namespace

Process Process::Start(const std::string& commandLine, const StartOptions& options)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!options.outputFile.empty()) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        output = CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::string line = commandLine;
    std::string environment = EnvironmentBlock(options.environment);
    PROCESS_INFORMATION info = {};
    BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, 0,
                             environment.data(),
                             options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &startup,
                             &info);
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    Process p;
    if (ok) {
        CloseHandle(info.hThread);
        p.process_ = info.hProcess;
        p.id_ = info.dwProcessId;
    }
    return p;
}

bool Process::running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(Duration timeout, DWORD* exitCode)
{
    if (!process_) return false;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process_, exitCode);
    return true;
}

void Process::Kill()
{
    if (!process_) return;
    if (running()) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

RunResult Run(const std::string& commandLine, StartOptions options, Duration timeout)
{
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    options.outputFile = std::string(temp) + "robot-output-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++serial) + ".txt";
    RunResult result;
    {
        Process p = Process::Start(commandLine, options);
        if (p.started() && !p.WaitForExit(timeout, &result.exitCode)) result.exitCode = ~0u;
    }
    // Read as text: the C runtime writes "\n" as CR LF.
    for (char c : ReadFile(options.outputFile))
        if (c != '\r') result.output.push_back(c);
    DeleteFileA(options.outputFile.c_str());
    return result;
}

std::string WindowText(HWND window)
{
    char text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return {};
    return std::string(text, std::min<std::size_t>(copied, sizeof text));
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

std::vector<HWND> TopWindows(DWORD processId)
{
    struct Search {
        DWORD id;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->id) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, const std::string& className, Duration timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(processId)) {
                if (!IsWindowVisible(w)) continue;
                if (!className.empty() && ClassName(w) != className) continue;
                if (WindowText(w) == caption) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout)
{
    MessageBoxSeen seen;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(processId)) {
                if (!IsWindowVisible(w) || ClassName(w) != "#32770") continue;
                HWND text = GetDlgItem(w, 0xFFFF);
                if (!text) continue;
                seen = {w, WindowText(w), WindowText(text)};
                return true;
            }
            return false;
        },
        timeout);
    return seen;
}

bool Press(HWND dialog, int buttonId)
{
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button) return false;
    DWORD_PTR result = 0;
    // Posted: the click may end the program, and a sent message would then wait for nothing.
    return PostMessageA(button, BM_CLICK, 0, 0) != 0 || SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

std::vector<std::string> ButtonLabels(HWND dialog)
{
    std::vector<std::string> labels;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassName(c) == "Button" && ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON ||
                                         (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON))
            labels.push_back(WindowText(c));
    return labels;
}

Pixel ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool SaveScreenshot(const std::string& path)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes += pixels;
    WriteFile(path, bytes);
    return FileExists(path);
}

HWND FocusedWindowOf(HWND anyWindowOfThatThread)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(anyWindowOfThatThread, nullptr), &info)) return nullptr;
    return info.hwndFocus;
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
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ProgramDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\'));
}

ScratchDirectory::ScratchDirectory(const std::string& name) : path_("C:\\robot\\" + name)
{
    CreateDirectoryA("C:\\robot", nullptr);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string ReadFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void SetWineVersionFor(const std::string& programName, const std::string& version)
{
    HKEY key = nullptr;
    std::string path = "Software\\Wine\\AppDefaults\\" + programName;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
}

}  // namespace robot
