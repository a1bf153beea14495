// The reporting modes that need windows, and the abnormal exit.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "errors/report_sink.h"
#include "startup/config.h"
#include "windows/dialogs_internal.h"
#include "windows/root_state.h"

void ShowReportInStatusBar(std::string_view line)
{
    // Nothing to show until the root window has a status bar.
    HWND bar = TheRootState().statusBar;
    if (!bar) return;
    std::string text(line);
    SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ShowReportInBox(std::string_view line)
{
    // Shown like every other box: owned by the page, so that its closing does
    // not wake the root window under it, and without a redraw of its own, so
    // that an error raised while drawing (a page picture) is not raised again.
    return ShowToolkitBox(std::string(line), "Library Error", MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON1) !=
           IDCANCEL;
}

void ShowAbnormalExitAndEnd(const std::string& text, int32_t)
{
    std::string caption = TheConfig().applicationName.str();
    MessageBoxA(MessageBoxOwner(), text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
    ExitProcess(1);
}
