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
using std::string;
constexpr Duration kPatience = 20s;

// Waits until done() holds; false when the deadline passes first.
bool WaitUntil(const std::function<bool()>& done, Duration timeout = kPatience);

struct StartOptions {
    string workingDirectory;                             // blank: the robot's own
    std::vector<std::pair<string, string>> environment;  // added to or replacing (blank: removing) the robot's
    string outputFile;                                   // blank: standard output is not captured
};

// A started program, ended by force if still running when the owner goes.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    ~Process() { Kill(); }
    static Process Start(const string& commandLine, const StartOptions& options = {});
    bool started() const { return process_; }
    DWORD id() const { return id_; }
    bool WaitForExit(Duration timeout = kPatience, DWORD* exitCode = nullptr);  // false on time-out
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

string WindowText(HWND window), ClassName(HWND window), ControlText(HWND dialog, int id), ProgramDirectory();
std::vector<HWND> TopWindows(DWORD processId);  // in z-order
// The first visible top-level window of the process with that caption (and class, when given).
HWND WaitForWindow(DWORD processId, const string& caption, const string& className = {}, Duration timeout = kPatience);
// The next message box of the process (a dialog with the static text 0xFFFF).
struct MessageBoxSeen {
    HWND box = nullptr;
    string caption, text;
};
MessageBoxSeen WaitForMessageBox(DWORD processId, Duration timeout = kPatience);
std::vector<string> ButtonLabels(HWND dialog);  // push buttons, in child order

// A posted or a sent BM_CLICK (assistive tools send it), or a mouse click at its centre.
enum class PressBy { Post, Send, Mouse };
// Press(dialog, buttonId) posts. PressKey: a key into a window brought to the front: "enter", "escape", "space" or
// "alt+X" (X a letter or f4).
bool Press(HWND button, PressBy how), Press(HWND dialog, int buttonId), PressKey(HWND window, const string&key);

struct Pixel {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};
Pixel ScreenPixel(int x, int y);
HWND FocusedWindowOf(HWND anyWindowOfThatThread);
RECT ScreenRectOf(HWND window), ClientScreenRectOf(HWND window);

void RemoveTree(const string&path), WriteFile(const string&path, const string&bytes);
string ReadFile(const string& path);
bool FileExists(const string&path), DirectoryExists(const string&path);

// A fresh empty directory C:\robot\NAME, removed with everything in it at the end.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const string& name);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ~ScratchDirectory() { RemoveTree(path); }
    string operator/(const string& name) const { return path + "\\" + name; }
    const string path;
};

// HKCU\Software\Wine\AppDefaults\<program>\Version: the Windows version Wine reports to that program.
void SetWineVersionFor(const string& programName, const string& version);

}  // namespace robot
