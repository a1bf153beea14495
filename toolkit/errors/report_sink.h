#pragma once
// Where the reporting modes that need a window (the status bar and the
// "Library Error" box) end up: Windows builds show them, native builds, which
// have no windows, print them.

#include <cstdint>
#include <string>
#include <string_view>

void ShowReportInStatusBar(std::string_view line);
// true when the user chose to go on (OK), false for Cancel.
bool ShowReportInBox(std::string_view line);
// Shows the abnormal-exit text and ends the process.
[[noreturn]] void ShowAbnormalExitAndEnd(const std::string& text, int32_t code);
