#pragma once
// What the scenarios share: starting the installer's programs under the
// robot and finding their windows.

#include <windows.h>

#include <string>
#include <vector>

#include "robot.h"

namespace scenario {

std::string BuildProgram(const std::string& relativePath);  // e.g. "tests\\win\\ui_probe.exe"

// A program that opens the installer's root window, started and waited for
// until it has drawn what it was asked to.
struct Started {
    robot::Process process;
    HWND root = nullptr;
    HWND client = nullptr;
    RECT clientOnScreen{};
    std::string outputFile;
};

// Starts ui_probe with the arguments; fails the test (root null) when it does
// not get ready in time.
Started StartProbe(const std::string& arguments, const std::string& name);

// An installation medium: a folder on drive G: (a CD-ROM drive in the test
// bed) holding setup.exe, the install script and the files.
class Medium {
public:
    explicit Medium(const std::string& name);
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium();
    const std::string& path() const { return path_; }
    // The path as setup.exe sees its own directory: upper-cased.
    std::string SourcePath(const std::string& file) const;
    void Write(const std::string& file, const std::string& bytes) const;
    // INSTALL.LST from lines, each ended by CR LF.
    void WriteScript(const std::vector<std::string>& lines) const;
    robot::Process Start(const std::string& workingDirectory = "C:\\") const;

private:
    std::string path_;
};

// Presses a button of a dialog and waits until the dialog has gone.
bool PressAndWaitGone(HWND dialog, int buttonId);
// The visible top-level dialog of the process with that caption (or null).
HWND WaitForDialog(const robot::Process& process, const std::string& caption);
// Visible message boxes of the process just now.
int CountMessageBoxes(const robot::Process& process);

// Keeps a screenshot in the build tree (tests\e2e\shots\NAME.bmp).
void KeepScreenshot(const std::string& name);

}  // namespace scenario
