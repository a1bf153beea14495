#include "pages/pages.h"

#include <array>
#include <string>

#include "driver/messages.h"
#include "graphics/graphics.h"
#include "pages/picture_placement.h"
#include "resource_ids.h"
#include "script/install_plan.h"
#include "system/file_helpers.h"
#include "ui/background.h"
#include "windows/dialogs.h"
#include "windows/events.h"
#include "windows/message_box.h"
#include "windows/root_window.h"

namespace {

// Page numbers, which are also the steps of the run.
constexpr int32_t kInitialPage = 1;
constexpr int32_t kFinishPage = 4;
constexpr int32_t kSystemPage = 5;

struct SystemBox {
    int32_t field;
    int32_t InstallState::*count;
    int32_t InstallState::*flag;
};

constexpr std::array<SystemBox, 3> kSystemBoxes = {{
    {IDC_ADD_SHORTCUTS, &InstallState::shortcutCount, &InstallState::addShortcuts},
    {IDC_ADD_VARIABLES, &InstallState::variableCount, &InstallState::addVariables},
    {IDC_ASSOCIATE_TYPES, &InstallState::associationCount, &InstallState::associateTypes},
}};

}  // namespace

void ShowPagePicture()
{
    const InstallState& state = TheInstallState();
    if (state.bannerPath.blank()) return;
    Logical exists = kFalse;
    FileExists(state.bannerPath, exists);
    if (!IsTrue(exists)) {
        QMsgBox(kButtonsOk, kIconExclamation, 1, Filled(kPictureNotFound, {state.bannerPath.str()}),
                kPictureNotFoundCaption);
        return;
    }
    QGrArea(0, 0, 1, 1);
    std::array<int32_t, 3> info{};
    QGrImageType(state.bannerPath, info, 3);
    const PictureArea area = PagePictureArea(info[1], info[2], QScreenInfo(1), QScreenInfo(2));
    QGrArea(area.x1, area.y1, area.x2, area.y2);
    QGrLoadImage(state.bannerPath, 0);
    QGrArea(0, 0, 1, 1);
}

void LoadPage(int32_t page, int32_t dialog)
{
    const PageText& text = TheInstallPlan().pages[static_cast<std::size_t>(page)];
    QDlgLoad(dialog);
    QDlgTitle(text.title);
    QDlgPutText(IDC_PAGE_MESSAGE, text.message);
}

void PaintPage(int32_t page, int32_t backgroundMode)
{
    InstallState& state = TheInstallState();
    const PageText& text = TheInstallPlan().pages[static_cast<std::size_t>(page)];
    PaintBackground(backgroundMode);
    if (text.hasPicture) {
        state.bannerPath.assign(state.sourceDir.str() + text.picture.str());
        ShowPagePicture();
    } else {
        state.bannerPath.clear();
    }
}

void ShowPageDialog(bool topAtFifth) { QDlgShow(-1, topAtFifth ? QScreenInfo(2) / 5 : -1, 0, kDialogSemiModal); }

void RemovePreviousPage(int32_t previousDialog, int32_t currentDialog)
{
    QDlgSelect(previousDialog);
    QDlgUnload(0);
    QDlgSelect(currentDialog);
}

int32_t WaitForPageButton(int32_t page, int32_t dialog, int32_t backgroundMode)
{
    for (;;) {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventWait(type, record);
        if (type == kEventRedraw) PaintPage(page, backgroundMode);
        if (type == kEventButton && record[0] == dialog) return record[1];
        if (type == kEventNone) return kPageCancel;  // no more events will come
    }
}

void ShowInitialPage(Logical& status)
{
    status = kFalse;
    LoadPage(kInitialPage, IDD_INITIAL_PAGE);
    PaintPage(kInitialPage, 1);
    ShowPageDialog(true);
    for (;;) {
        const int32_t button = WaitForPageButton(kInitialPage, IDD_INITIAL_PAGE, 1);
        if (button == kPageOk) break;  // the dialog stays until the next page is up
        if (button == kPageCancel) {
            QDlgUnload(0);
            return;
        }
    }
    status = kTrue;
}

void ShowSystemPage(Logical& status)
{
    InstallState& state = TheInstallState();
    status = kFalse;
    LoadPage(kSystemPage, IDD_SYSTEM_PAGE);
    for (const SystemBox& box : kSystemBoxes) {
        if (state.*box.count > 0) continue;
        QDlgPutCheck(box.field, 0);
        QDlgFieldState(box.field, 0);
    }
    PaintPage(kSystemPage, 0);
    ShowPageDialog(false);
    for (;;) {
        const int32_t button = WaitForPageButton(kSystemPage, IDD_SYSTEM_PAGE, 0);
        if (button == kPageOk) break;
        if (button == kPageCancel) {
            QDlgUnload(0);
            return;
        }
    }
    for (const SystemBox& box : kSystemBoxes) {
        if (state.*box.count <= 0) continue;
        int32_t checked = 0;
        QDlgGetCheck(box.field, checked);
        state.*box.flag = checked;
    }
    status = kTrue;  // the dialog stays until the finish page is up
}

void ShowFinishPage(Logical& status)
{
    status = kFalse;
    LoadPage(kFinishPage, IDD_FINISH_PAGE);
    PaintPage(kFinishPage, 0);
    ShowPageDialog(false);
    if (IsTrue(TheInstallState().configPageNeeded)) RemovePreviousPage(IDD_SYSTEM_PAGE, IDD_FINISH_PAGE);
    for (;;) {
        const int32_t button = WaitForPageButton(kFinishPage, IDD_FINISH_PAGE, 0);
        if (button == kPageOk || button == kPageCancel) {
            QDlgUnload(0);
            if (button == kPageOk) status = kTrue;
            return;
        }
    }
}
