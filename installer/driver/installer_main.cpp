// InstallerMain and its two companions.
#include "driver/installer_main.h"

#include <string>

#include "driver/change_record.h"
#include "driver/install_log.h"
#include "driver/install_pass.h"
#include "driver/messages.h"
#include "graphics/graphics.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "script/install_plan.h"
#include "script/script_parser_core.h"
#include "startup/startup.h"
#include "system/file_helpers.h"
#include "system/system_steps.h"
#include "ui/background.h"
#include "ui/directory_page.h"
#include "utilities/os.h"
#include "utilities/text.h"
#include "windows/dialogs.h"
#include "windows/events.h"
#include "windows/message_box.h"
#include "windows/root_window.h"

namespace {

constexpr int32_t kCancelButton = 2;

void ShowProgressDialog()
{
    QDlgLoad(IDD_PROGRESS);
    QDlgTitle("Installing files");
    QDlgRange(IDC_PROGRESS_BAR, 0, 65535);
    QDlgProgress(IDC_PROGRESS_BAR, 0);
    PaintBackground(0);
    // The dialog lives inside the root window, where positions are on a
    // 0-9999 scale of its client area: its top goes to a fifth of the screen.
    const int32_t top = ChildScaleForScreenY(QScreenInfo(2) / 5);
    QDlgShow(-1, top, kCancelButton, kDialogSemiModal);
}

void ShowRestartDialog()
{
    InstallState& state = TheInstallState();
    QDlgLoad(IDD_RESTART);
    PaintBackground(1);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
    for (;;) {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventWait(type, record);
        if (type == kEventRedraw) PaintBackground(1);
        // A late press on a page still up is no answer to the offer.
        if (type == kEventButton && record[0] == IDD_RESTART) {
            state.restartAnswer = record[1];
            return;
        }
        if (type == kEventNone) return;  // the message loop has ended
    }
}

// Appends the installable drives from a letter on to the table; with
// firstOnly it stops after the first and leaves the letter to go on from.
void ScanDrives(char from, bool firstOnly)
{
    InstallState& state = TheInstallState();
    state.driveScanRest = 0;
    // Asking a letter that names no drive costs as much as asking a drive;
    // the letters in use are known at once.
    const uint32_t inUse = LettersInUse();
    for (char letter = from; letter <= 'Z'; ++letter) {
        const char root[4] = {letter, ':', '\\', '\0'};
        int32_t installable = 0;
        if (inUse >> (letter - 'A') & 1) IsInstallableDrive(installable, root, 4);
        if (installable == 1) {
            state.installableDrives[static_cast<std::size_t>(state.installableDriveCount)].assign(
                std::string{letter, ':'});
            ++state.installableDriveCount;
            if (firstOnly) {
                state.driveScanRest = static_cast<char>(letter + 1);
                return;
            }
        }
    }
}

}  // namespace

void FinishDriveScan()
{
    const char rest = TheInstallState().driveScanRest;
    if (rest) ScanDrives(rest, false);
}

void FindInstallableDrives(Logical& runOK)
{
    InstallState& state = TheInstallState();
    runOK = kFalse;
    ResetInstallPlan();

    const int32_t platform = QOsInfo(16);
    state.isWindowsNT = platform == kPlatformWindowsNT ? kTrue : kFalse;
    state.isWin32s = platform == kPlatformWin32s ? kTrue : kFalse;

    QOsArgument(0, state.sourceDir);
    QStrUpper(state.sourceDir);
    int32_t position = QStrLength(state.sourceDir);
    while (position > 0 && state.sourceDir[static_cast<std::size_t>(position - 1)] != '\\') --position;
    state.sourceDirLength = position;
    FillText(state.sourceDir.span().subspan(static_cast<std::size_t>(position)), "");

    state.installableDriveCount = 0;
    // Only the variables step needs more than the first installable drive:
    // the rest of the table waits for it, which spares the first page a
    // question to every other drive.
    ScanDrives('A', true);
    if (state.installableDriveCount > 0) {
        runOK = kTrue;
        return;
    }
    QMsgBox(kButtonsOk, kIconStop, 1, kNoInstallableDrives, kAbortInstallation);
}

void ShowStep(int32_t step, Logical& runOK)
{
    runOK = kFalse;
    Logical pageOK = kFalse;
    switch (step) {
    case 1: ShowInitialPage(pageOK); break;
    case 2: ChooseInstallDirectory(1, pageOK); break;
    case 4: ShowFinishPage(pageOK); break;
    case 5: ShowSystemPage(pageOK); break;
    case 3: ShowProgressDialog(); break;
    case 6: ShowRestartDialog(); break;
    case -3:
        QDlgSelect(IDD_PROGRESS);
        QDlgUnload(0);
        break;
    default: break;
    }
    // The finish page comes after everything is done: closing it is no abort.
    if (step == 1 || step == 2 || step == 5) {
        if (!IsTrue(pageOK)) {
            PaintBackground(1);
            QMsgBox(kButtonsOk, kIconStop, 1, kInstallationAborted, kInstallationAborted);
            return;
        }
    }
    runOK = kTrue;
}

void OpenInstallerRootWindow()
{
    QStartUp(" ");
    RootSettings root;
    root.flags = kRootMaximised | kRootFixedSize;
    root.x = -1;
    root.y = -1;
    root.width = QScreenInfo(1);
    root.height = QScreenInfo(2);
    root.menu = 0;
    root.title.assign("Installation");
    QRootOpen(root, 128);
}

void InstallerMain()
{
    InstallState& state = TheInstallState();
    OpenInstallerRootWindow();
    PaintBackground(1);

    FindInstallableDrives(state.runOK);
    if (IsTrue(state.runOK)) {
        const std::string script =
            std::string(state.sourceDir.view().substr(0, static_cast<std::size_t>(state.sourceDirLength))) +
            "INSTALL.LST";
        ScriptParser(script, state.runOK);
    }
    if (IsTrue(state.runOK)) {
        QRootTitle(state.generalTitle);
        state.subDir.clear();
        ShowStep(1, state.runOK);
    }
    if (IsTrue(state.runOK)) ShowStep(2, state.runOK);
    if (IsTrue(state.runOK)) InstallLogControl(-1, state.runOK);
    const bool logOpen = IsTrue(state.runOK);
    if (logOpen) OpenChangeRecord();
    if (IsTrue(state.runOK)) ShowStep(3, state.runOK);
    if (IsTrue(state.runOK)) InstallPass(state.runOK);
    CloseTemporaryFiles();  // whatever the pass did: the steps read them, the clean-up deletes them

    if (IsTrue(state.runOK)) {
        state.configPageNeeded =
            state.associationCount > 0 || state.shortcutCount > 0 || state.variableCount > 0 ? kTrue : kFalse;
        if (IsTrue(state.configPageNeeded)) {
            ShowStep(5, state.runOK);
            if (IsTrue(state.runOK) && state.addShortcuts == 1) ApplyShortcuts(state.runOK);
            if (IsTrue(state.runOK) && state.addVariables == 1) {
                FinishDriveScan();
                ApplyVariables(state.runOK);
            }
            if (IsTrue(state.runOK) && state.associateTypes == 1) ApplyAssociations(state.runOK);
        }
    }
    if (IsTrue(state.runOK)) {
        ShowStep(-3, state.runOK);
        InstallLogControl(-2, state.runOK);
        ShowStep(4, state.runOK);  // the run ends the same way whatever the finish page returns
    } else if (logOpen) {
        InstallLogWrite(kLogUnfinished, " ");
        Logical closed = kFalse;
        InstallLogControl(-2, closed);
    }

    CloseChangeRecord();
    RemoveTemporaryFiles();
    if (state.addVariables > 0) {
        ShowStep(6, state.runOK);
        QRootClose();
        int32_t accepted = 0;
        if (state.restartAnswer == 1) RestartWindows(accepted);  // whatever Windows answers, the run is over
        return;
    }
    QRootClose();
}
