#include "ui/directory_page.h"

#include <string>

#include "driver/change_record.h"
#include "driver/messages.h"
#include "errors/errors.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "ui/directory_rules.h"
#include "utilities/os.h"
#include "windows/directory_browser.h"
#include "windows/dialogs.h"
#include "windows/message_box.h"

namespace {

constexpr int32_t kDirectoryPage = 2;
constexpr int32_t kBrowseButton = IDC_BROWSE;
constexpr int32_t kYes = 1;

void Browse(FixedText<261>& proposed)
{
    FixedText<261> buffer(proposed.view());
    CutToExistingAncestor(buffer, [](std::string_view path) { return QOsDirExists(path); });
    QDlgBrowseDir(4, buffer, "Select Installation Directory");
    if (QStateInfo(4) != 1) return;
    if (buffer.view().substr(1, 2) == ":\\") {
        proposed = buffer;
        QDlgPutText(IDC_DIRECTORY_TEXT, proposed);
        return;
    }
    QMsgBox(kButtonsOk, kIconStop, 1, kNotAbsolute, kNotAbsoluteCaption);
}

// The checks of Continue; true when the directory is accepted.
bool Continue(FixedText<261>& proposed)
{
    const std::size_t length = proposed.length();
    if (IsDirectoryNameTooLong(proposed)) {
        QMsgBox(kButtonsOk, kIconStop, 1, kDirectoryNameTooLong, kDirectoryNameTooLongCaption);
        return false;
    }
    if (!IsAcceptableDirectoryName(proposed)) {
        QMsgBox(kButtonsOk, kIconStop, 1, kBadDirectoryNameMessage, kBadDirectoryNameCaption);
        return false;
    }
    if (QOsDirExists(proposed)) {
        QMsgBox(kButtonsYesNo, kIconQuestion, 2, kOverwriteQuestion, kOverwriteQuestionCaption);
        return QStateInfo(4) == kYes;
    }
    QMsgBox(kButtonsYesNo, kIconQuestion, 1, kCreateQuestion, kCreateQuestionCaption);
    if (QStateInfo(4) != kYes) return false;
    MakeDirectoryPath(proposed, static_cast<int32_t>(length));
    return true;
}

}  // namespace

void MakeDirectoryPath(std::span<char> path, int32_t length)
{
    if (length <= 0) return;
    const std::string_view directory = AsView(path).substr(0, static_cast<std::size_t>(length));
    QErrorInfo(1);
    QOsDirChange(directory);
    if (QErrorInfo(1) == 13) {
        const std::size_t slash = directory.rfind('\\');
        if (slash != std::string_view::npos && slash + 1 < SignificantLength(directory))
            MakeDirectoryPath(path, static_cast<int32_t>(slash));
    }
    QOsDirMake(directory);
    // An existing or uncreatable directory shows up later, when files go there.
    if (QErrorInfo(1) == 0) RecordChange(MakeUndoEntry(UndoKind::kDirectory, std::string(TrimmedText(directory))));
}

void ChooseInstallDirectory(int32_t mode, Logical& accepted)
{
    InstallState& state = TheInstallState();
    accepted = kFalse;
    FixedText<261> proposed(state.installDir.view());
    LoadPage(kDirectoryPage, IDD_DIRECTORY_PAGE);
    QDlgPutText(IDC_DIRECTORY_TEXT, proposed);
    PaintPage(kDirectoryPage, 1);
    ShowPageDialog(true);
    if (mode == 1) RemovePreviousPage(IDD_INITIAL_PAGE, IDD_DIRECTORY_PAGE);

    for (;;) {
        const int32_t button = WaitForPageButton(kDirectoryPage, IDD_DIRECTORY_PAGE, 1);
        if (button == kBrowseButton) {
            Browse(proposed);
        } else if (button == kPageCancel) {
            QDlgUnload(0);
            return;
        } else if (button == kPageOk && Continue(proposed)) {
            state.installDir = proposed;
            if (state.installDir.trimmed().back() != '\\') state.installDir.append("\\");
            QDlgUnload(0);
            accepted = kTrue;
            return;
        }
    }
}
