// The progress and restart dialogs as a person sees them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "resource_ids.h"
#include "scenario.h"

namespace {

TEST(ProgressDialog, InsideTheBackgroundAFifthDown)
{
    scenario::Started probe = scenario::StartProbe("step 3", "progress");
    ASSERT_NE(probe.client, nullptr);
    HWND dialog = FindWindowExA(probe.client, nullptr, "#32770", nullptr);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(robot::WaitUntil([&] { return IsWindowVisible(dialog) != 0; }));
    scenario::KeepScreenshot("progress-dialog");
    EXPECT_EQ(robot::WindowText(dialog), "Installing files");
    EXPECT_EQ(robot::ControlText(dialog, IDC_PROGRESS_FROM), "");
    EXPECT_EQ(robot::ControlText(dialog, IDC_PROGRESS_TO), "");
    EXPECT_EQ(robot::ControlText(dialog, IDCANCEL), "Cancel");
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 65535);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(robot::FocusedWindowOf(dialog), GetDlgItem(dialog, IDCANCEL));

    const RECT r = robot::ScreenRectOf(dialog);
    EXPECT_NEAR(r.left, (1024 - (r.right - r.left)) / 2, 1);
    EXPECT_EQ(r.top, 768 / 5);
    // 300 x 84 dialog units in 8-point MS Sans Serif.
    EXPECT_GT(r.right - r.left, 400);
    EXPECT_LT(r.bottom - r.top, 200);
}

TEST(RestartDialog, CentredAndAnswered)
{
    struct Case {
        int press;
        const char* answer;
    } cases[] = {{IDCANCEL, "2\r\n"}, {IDOK, "1\r\n"}};
    for (const Case& c : cases) {
        scenario::Started probe = scenario::StartProbe("step 6", "restart");
        ASSERT_NE(probe.root, nullptr);
        HWND dialog = robot::WaitForWindow(probe.process.id(), "Restart Machine", "#32770");
        ASSERT_NE(dialog, nullptr);
        scenario::KeepScreenshot("restart-dialog");
        EXPECT_EQ(robot::ControlText(dialog, IDC_RESTART_TEXT),
                  "In order to complete the installation, you must restart your machine.");
        EXPECT_EQ(robot::ButtonLabels(dialog), (std::vector<std::string>{"Exit Windows Now", "Leave Until Later"}));
        EXPECT_TRUE((GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        const RECT r = robot::ScreenRectOf(dialog);
        EXPECT_NEAR(r.left, (1024 - (r.right - r.left)) / 2, 1);
        EXPECT_NEAR(r.top, (768 - (r.bottom - r.top)) / 2, 1);
        EXPECT_FALSE(IsWindowEnabled(probe.root));  // the background waits for the answer

        // A redraw while it waits repaints the background under it.
        RedrawWindow(probe.client, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(robot::ScreenPixel(5, probe.clientOnScreen.top + 2), (robot::Pixel{0, 0, 75}));

        robot::Press(dialog, c.press);
        DWORD code = 1;
        ASSERT_TRUE(probe.process.WaitForExit(robot::kPatience, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(robot::ReadFile(probe.outputFile), c.answer);
    }
}

}  // namespace
