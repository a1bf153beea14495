// Installer routines in this process under Wine, in the test bed's drives:
// C: and Y: fixed, F: network; D: floppy, G: CD-ROM, H: RAM disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <thread>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics_state.h"
#include "pages/pages.h"
#include "script/install_plan.h"
#include "startup/config.h"
#include "ui/background.h"
#include "windows/root_state.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/startup.h"
#include "system/file_helpers.h"
#include "windows/dialogs.h"
#include "windows/root_window.h"

namespace {

TEST(InstallableDrives, FixedAndNetworkDrivesOnly)
{
    struct Case {
        const char* root;
        int32_t installable;
        int32_t type;
    } cases[] = {
        {"C:\\", 1, DRIVE_FIXED},     {"F:\\", 1, DRIVE_REMOTE}, {"Y:\\", 1, DRIVE_FIXED},
        {"D:\\", 0, DRIVE_REMOVABLE}, {"G:\\", 0, DRIVE_CDROM},  {"H:\\", 0, DRIVE_RAMDISK},
        {"Q:\\", 0, DRIVE_NO_ROOT_DIR},
    };
    for (const Case& c : cases) {
        int32_t installable = 7;
        EXPECT_EQ(IsInstallableDrive(installable, c.root, 4), c.type) << c.root;
        EXPECT_EQ(installable, c.installable) << c.root;
    }
}

TEST(InstallableDrives, TheRunFindsItsDirectoryPlatformAndDrives)
{
    InstallState& state = TheInstallState();
    state = InstallState{};
    Logical runOK = kTrue;
    FindInstallableDrives(runOK);
    EXPECT_TRUE(IsTrue(runOK));
    EXPECT_EQ(runOK, kTrue);

    std::string directory = robot::ProgramDirectory() + "\\";
    for (char& c : directory) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(state.sourceDir.str(), directory);
    EXPECT_EQ(state.sourceDirLength, static_cast<int32_t>(directory.size()));

    EXPECT_EQ(state.isWindowsNT, kTrue);  // Wine's default, Windows 7
    EXPECT_EQ(state.isWin32s, kFalse);
    ASSERT_EQ(state.installableDriveCount, 3);
    EXPECT_EQ(state.installableDrives[0].view(), "C:");
    EXPECT_EQ(state.installableDrives[1].view(), "F:");
    EXPECT_EQ(state.installableDrives[2].view(), "Y:");
}

TEST(Steps, ProgressDialogComesAndGoesOtherStepsShowNothing)
{
    OpenInstallerRootWindow();

    for (int32_t step : {0, -1, -2, 7, 99, -3}) {
        Logical runOK = kFalse;
        ShowStep(step, runOK);
        EXPECT_EQ(runOK, kTrue) << step;
        EXPECT_EQ(QStateInfo(3), 0) << step;
    }
    QErrorInfo(1);
    Logical runOK = kFalse;
    ShowStep(3, runOK);
    EXPECT_EQ(runOK, kTrue);
    EXPECT_EQ(QStateInfo(3), IDD_PROGRESS);
    ShowStep(-3, runOK);
    EXPECT_EQ(runOK, kTrue);
    EXPECT_EQ(QStateInfo(3), 0);
    QDlgSelect(IDD_PROGRESS);
    EXPECT_EQ(QErrorInfo(1), 1008);  // unloaded
    QRootClose();
}

TEST(Background, FewerThan16ColoursPaintThePlainStartColour)
{
    OpenInstallerRootWindow();
    ResetInstallPlan();
    GeneralSettings& general = TheInstallPlan().general;
    general.backgroundStyle = 3;
    general.startFillColour = {10, 20, 30};
    general.titleColour = {1, 2, 3};

    ToolkitConfig& config = TheConfig();
    const int32_t graduated = config.graduatedColours;
    config.graduatedColours = 8;  // as on a 16-colour display
    PaintBackground(1);
    config.graduatedColours = graduated;

    EXPECT_EQ(general.backgroundStyle, 0);  // and it stays so
    const RootState& state = TheRootState();
    for (auto [x, y] : {std::pair{0, 0}, {state.surfaceWidth - 1, state.surfaceHeight - 1}, {500, 600}})
        EXPECT_EQ(GetPixel(state.surfaceDC, x, y), RGB(10, 20, 30)) << x << ',' << y;
    EXPECT_EQ(TheGraphicsState().colours[129], (RGBColour{1, 2, 3}));  // the title colour's number

    PaintBackground(0);
    EXPECT_EQ(general.backgroundStyle, 0);
    QRootClose();
}

// The system configuration page, answered from a second thread as a person would.
TEST(SystemPage, BoxesFollowWhatThePassCollected)
{
    OpenInstallerRootWindow();
    ResetInstallPlan();
    TheInstallPlan().pages[5].title.assign("System Configuration");
    TheInstallPlan().pages[5].message.assign("Select the changes to make to your system.");

    struct Case {
        int32_t shortcuts, variables, associations;
        std::vector<int> untick;                // boxes the person clears before OK
        std::array<bool, 3> checked, enabled;   // as the page opens: 2006, 2012, 2013
        std::array<int32_t, 3> flags;           // addShortcuts, addVariables, associateTypes
    } cases[] = {
        {2, 0, 0, {}, {true, false, false}, {true, false, false}, {1, 0, 0}},
        {2, 0, 0, {IDC_ADD_SHORTCUTS}, {true, false, false}, {true, false, false}, {0, 0, 0}},
        {1, 3, 1, {IDC_ADD_VARIABLES}, {true, true, true}, {true, true, true}, {1, 0, 1}},
        {0, 0, 4, {}, {false, false, true}, {false, false, true}, {0, 0, 1}},
    };
    const int boxes[3] = {IDC_ADD_SHORTCUTS, IDC_ADD_VARIABLES, IDC_ASSOCIATE_TYPES};
    for (const Case& c : cases) {
        InstallState& state = TheInstallState();
        state = InstallState{};
        state.shortcutCount = c.shortcuts;
        state.variableCount = c.variables;
        state.associationCount = c.associations;
        std::array<bool, 3> checked{}, enabled{};
        std::thread person([&] {
            HWND page = robot::WaitForWindow(GetCurrentProcessId(), "System Configuration", "#32770",
                                             std::chrono::seconds(10));
            if (!page) return;
            for (int i = 0; i < 3; ++i) {
                HWND box = GetDlgItem(page, boxes[i]);
                checked[static_cast<std::size_t>(i)] = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
                enabled[static_cast<std::size_t>(i)] = IsWindowEnabled(box) != 0;
            }
            for (int id : c.untick) PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
            robot::Press(page, IDOK);
        });
        Logical status = kFalse;
        ShowSystemPage(status);
        person.join();
        EXPECT_EQ(status, kTrue);
        EXPECT_EQ(checked, c.checked) << c.shortcuts << c.variables << c.associations;
        EXPECT_EQ(enabled, c.enabled) << c.shortcuts << c.variables << c.associations;
        EXPECT_EQ((std::array<int32_t, 3>{state.addShortcuts, state.addVariables, state.associateTypes}), c.flags)
            << c.shortcuts << c.variables << c.associations;
        EXPECT_EQ(QStateInfo(3), IDD_SYSTEM_PAGE);  // it stays until the finish page is up
        QDlgUnload(0);
    }
    QRootClose();
}

}  // namespace
