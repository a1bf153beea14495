#pragma once
// The robot: drives a running Windows program from outside, as a person
// would. It starts the program, waits (always with a deadline) for its
// windows, reads their texts and presses their buttons.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace robot {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;
constexpr Duration kPatience = 20s;

// Waits until done() holds; false when the deadline passes first.
bool WaitUntil(const std::function<bool()>& done, Duration timeout = kPatience);

struct StartOptions {
    std::string workingDirectory;                                  // blank: the robot's own
    std::vector<std::pair<std::string, std::string>> environment;  // added to or replacing (blank: removing) the robot's
    std::string outputFile;                                        // blank: standard output is not captured
};

// A started program, ended by force if still running when the owner goes.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    ~Process() { Kill(); }
    static Process Start(const std::string& commandLine, const StartOptions& options = {});
    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    bool WaitForExit(Duration timeout = kPatience, DWORD* exitCode = nullptr);  // false on time-out
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Runs a program to its end: its standard output as text (CR LF as "\n");
// exitCode is ~0u when it did not end in time.
struct RunResult { DWORD exitCode = ~0u; std::string output; };
RunResult Run(const std::string& commandLine, StartOptions options = {}, Duration timeout = kPatience);

std::string WindowText(HWND window), ClassName(HWND window), ControlText(HWND dialog, int id), ProgramDirectory();
std::vector<HWND> TopWindows(DWORD processId);  // in z-order
// The first visible top-level window of the process with that caption (and class, when given).
HWND WaitForWindow(DWORD processId, const std::string& caption, const std::string& className = {}, Duration timeout = kPatience);
// The next message box of the process (a dialog with the static text 0xFFFF).
struct MessageBoxSeen { HWND box = nullptr; std::string caption, text; };
MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout = kPatience);
std::vector<std::string> ButtonLabels(HWND dialog);  // push buttons, in child order

// A posted or a sent BM_CLICK (assistive tools send it), or a mouse click at its centre.
enum class PressBy { Post, Send, Mouse };
// PressKey: a key into a window brought to the front: "enter", "escape", "space" or "alt+X" (X a letter or f4).
bool Press(HWND button, PressBy how), Press(HWND dialog, int buttonId) /* posted */, PressKey(HWND window, const std::string& key);

struct Pixel { int red = 0, green = 0, blue = 0; friend bool operator==(const Pixel&, const Pixel&) = default; };
Pixel ScreenPixel(int x, int y);
HWND FocusedWindowOf(HWND anyWindowOfThatThread);
RECT ScreenRectOf(HWND window), ClientScreenRectOf(HWND window);

void RemoveTree(const std::string& path), WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path), DirectoryExists(const std::string& path);

// A fresh empty directory C:\robot\NAME, removed with everything in it at the end.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ~ScratchDirectory() { RemoveTree(path_); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private: std::string path_;
};

// HKCU\Software\Wine\AppDefaults\<program>\Version: the Windows version Wine reports to that program.
void SetWineVersionFor(const std::string& programName, const std::string& version);

}  // namespace robot
