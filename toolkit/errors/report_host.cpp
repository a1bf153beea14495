// Native builds have no windows: the window-bound reporting modes print to
// standard error, and the abnormal exit ends the process after printing.
#include <cstdio>
#include <cstdlib>

#include "errors/report_sink.h"

void ShowReportInStatusBar(std::string_view) {}

bool ShowReportInBox(std::string_view line)
{
    std::fprintf(stderr, "Library Error: %.*s\n", static_cast<int>(line.size()), line.data());
    return true;
}

void ShowAbnormalExitAndEnd(const std::string& text, int32_t)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::exit(1);
}
