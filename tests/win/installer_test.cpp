// Installer routines in this process under Wine, in the test bed's drives:
// C: and Y: fixed, F: network; D: floppy, G: CD-ROM, H: RAM disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics_state.h"
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
    QStartUp(" ");
    RootSettings root;
    root.flags = kRootMaximised | kRootFixedSize;
    root.width = QScreenInfo(1);
    root.height = QScreenInfo(2);
    root.title.assign("Installation");
    QRootOpen(root, 128);

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
    QStartUp(" ");
    RootSettings root;
    root.flags = kRootMaximised | kRootFixedSize;
    root.title.assign("Installation");
    QRootOpen(root, 128);
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

}  // namespace
