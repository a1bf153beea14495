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

// Waits until done() holds, looking again every few milliseconds; false
// when the deadline passes first.
bool WaitUntil(const std::function<bool()>& done, Duration timeout = kPatience);

struct StartOptions {
    std::string workingDirectory;                                  // blank: the robot's own
    std::vector<std::pair<std::string, std::string>> environment;  // added to or replacing (blank: removing) the robot's
    std::string outputFile;                                        // blank: standard output is not captured
};

// A started program, ended by force when it is still running as the owner
// goes, so that no test leaves a process behind.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    ~Process() { Kill(); }

    static Process Start(const std::string& commandLine, const StartOptions& options = {});
    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    bool running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // Waits for the end; false on time-out. exitCode receives the exit status.
    bool WaitForExit(Duration timeout = kPatience, DWORD* exitCode = nullptr);
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Runs a program to its end and returns what it wrote to standard output,
// read as text (CR LF as "\n"); exitCode is ~0u when it did not end in time.
struct RunResult {
    DWORD exitCode = ~0u;
    std::string output;
};
RunResult Run(const std::string& commandLine, StartOptions options = {}, Duration timeout = kPatience);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
std::string ControlText(HWND dialog, int id);
// Top-level windows of a process, in z-order.
std::vector<HWND> TopWindows(DWORD processId);
// The first visible top-level window of the process with that caption (and
// class, when given), or null when none appears before the deadline.
HWND WaitForWindow(DWORD processId, const std::string& caption, const std::string& className = {},
                   Duration timeout = kPatience);

struct MessageBoxSeen {
    HWND box = nullptr;
    std::string caption;
    std::string text;
};
// The next message box of the process (a dialog with the static text 0xFFFF).
MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout = kPatience);
// Labels of the push buttons of a dialog, in child order.
std::vector<std::string> ButtonLabels(HWND dialog);

// Presses a button as a user or a tool does: a posted or a sent BM_CLICK
// (assistive tools send it), or a mouse click at its centre.
enum class PressBy { Post, Send, Mouse };
bool Press(HWND button, PressBy how);
bool Press(HWND dialog, int buttonId);  // posted
// Types a key into a window brought to the front: "enter", "escape",
// "space" or "alt+X" (X a letter or f4).
bool PressKey(HWND window, const std::string& key);

// The screen as a person sees it.
struct Pixel {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};
Pixel ScreenPixel(int x, int y);
// The window that has the keyboard focus in the process's GUI thread.
HWND FocusedWindowOf(HWND anyWindowOfThatThread);
// A window's rectangle on the screen, and its client area's.
RECT ScreenRectOf(HWND window);
RECT ClientScreenRectOf(HWND window);

std::string ProgramDirectory();

// A fresh empty directory C:\robot\NAME, removed with everything in it at the end.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ~ScratchDirectory();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// HKCU\Software\Wine\AppDefaults\<program>\Version: the Windows version Wine
// reports to programs of that file name ("win31", "win95", "winxp", ...).
void SetWineVersionFor(const std::string& programName, const std::string& version);

}  // namespace robot
