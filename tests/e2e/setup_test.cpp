// setup.exe itself, started from a medium as a customer would.
#include <windows.h>

#include <gtest/gtest.h>

#include "scenario.h"

namespace {

// The medium: a CD-ROM drive of its own (G:) holding setup.exe.
std::string LayOutMedium(const std::string& folder)
{
    const std::string medium = "G:\\" + folder;
    robot::RemoveTree(medium);
    CreateDirectoryA(medium.c_str(), nullptr);
    CopyFileA(scenario::BuildProgram("setup.exe").c_str(), (medium + "\\SETUP.EXE").c_str(), FALSE);
    return medium;
}

// Runs in the prefix whose drives are a floppy (C:), a CD-ROM and a RAM disk only.
TEST(NoDrives, TheMachineIsToldAndNothingElseHappens)
{
    const std::string medium = LayOutMedium("nodrives");
    robot::StartOptions options;
    options.workingDirectory = medium;
    robot::Process setup = robot::Process::Start('"' + medium + "\\SETUP.EXE\"", options);
    ASSERT_TRUE(setup.started());
    robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(box.box, nullptr);
    scenario::KeepScreenshot("no-installable-drives");
    EXPECT_EQ(box.caption, "Abort Installation");
    EXPECT_EQ(box.text, "No installable drives found.");
    EXPECT_EQ(robot::ButtonLabels(box.box), std::vector<std::string>{"OK"});
    HWND root = robot::WaitForWindow(setup.id(), "Installation", "MARROWFIELD");
    EXPECT_NE(root, nullptr);
    EXPECT_EQ(GetWindow(box.box, GW_OWNER), root);
    // No dialog but the box.
    int dialogs = 0;
    for (HWND w : robot::TopWindows(setup.id()))
        if (IsWindowVisible(w) && robot::ClassName(w) == "#32770") ++dialogs;
    EXPECT_EQ(dialogs, 1);

    robot::Press(box.box, IDOK);
    DWORD code = 1;
    ASSERT_TRUE(setup.WaitForExit(robot::kPatience, &code));
    EXPECT_EQ(code, 0u);
    robot::RemoveTree(medium);
}

}  // namespace
