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

// Keeps a screenshot in the build tree (tests\e2e\shots\NAME.bmp).
void KeepScreenshot(const std::string& name);

}  // namespace scenario
