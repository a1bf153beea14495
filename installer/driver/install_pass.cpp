#include <windows.h>

#include "driver/install_pass.h"

#include <array>
#include <cstdio>
#include <string>

#include "driver/change_record.h"
#include "driver/install_log.h"
#include "driver/install_pass_core.h"
#include "driver/messages.h"
#include "errors/errors.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "script/script_lines.h"
#include "system/file_helpers.h"
#include "system/system_steps.h"
#include "ui/background.h"
#include "utilities/os.h"
#include "utilities/owned_file.h"
#include "windows/dialogs.h"
#include "windows/events.h"
#include "windows/message_box.h"

namespace {

// A path for the helpers that take a zero-terminated text in a path field.
using PathBuffer = std::array<char, 262>;
PathBuffer ZeroTerminated(std::string_view path)
{
    PathBuffer buffer{};
    path = TrimmedText(path).substr(0, 261);
    std::copy(path.begin(), path.end(), buffer.begin());
    return buffer;
}

// The progress dialog's texts and bar, shown at most every 50 ms: a copy of
// a small file takes far less than a repaint of the dialog, and nobody reads
// faster. Whatever is pending is shown before any message box.
class ProgressDisplay {
public:
    void Texts(std::string_view from, std::string_view to)
    {
        from_.assign(from);
        to_.assign(to);
        textsPending_ = true;
        FlushIfDue();
    }
    void Position(int32_t position)
    {
        position_ = position;
        positionPending_ = true;
        FlushIfDue();
    }
    void Flush()
    {
        if (textsPending_) {
            QDlgPutText(IDC_PROGRESS_FROM, from_);
            QDlgPutText(IDC_PROGRESS_TO, to_);
        }
        if (positionPending_) QDlgProgress(IDC_PROGRESS_BAR, position_);
        textsPending_ = positionPending_ = false;
        shownAt_ = GetTickCount();
    }

private:
    void FlushIfDue()
    {
        if (GetTickCount() - shownAt_ >= 50) Flush();
    }
    std::string from_, to_;
    int32_t position_ = 0;
    bool textsPending_ = false, positionPending_ = false;
    DWORD shownAt_ = 0;  // unsigned: the difference survives the wrap
};

struct ToolkitPassServices final : PassServices {
    ProgressDisplay progress;
    bool idle_ = false;  // the last look found nothing
    DWORD lookedAt_ = 0;

    // The queue is looked at every 20 ms at most while nothing comes: each
    // look is a round trip to the window system, and a pass of many small
    // files would make thousands of them that nobody can tell from fewer.
    PassEvent NextEvent() override
    {
        const DWORD now = GetTickCount();
        if (idle_ && now - lookedAt_ < 20) return PassEvent::kNone;
        int32_t type = kEventNone;
        EventRecord record{};
        QEventPeek(type, record);
        idle_ = type == kEventNone;
        lookedAt_ = now;
        switch (type) {
        case kEventNone: return PassEvent::kNone;
        case kEventRedraw:
        case kEventResize: return PassEvent::kRedraw;
        case kEventButton: return record[0] == IDD_PROGRESS && record[1] == 2 ? PassEvent::kCancel : PassEvent::kOther;
        default: return PassEvent::kOther;
        }
    }

    int32_t Ask(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view text,
                std::string_view caption) override
    {
        progress.Flush();
        QMsgBox(buttons, icon, defaultButton, text, caption);
        return QStateInfo(4);
    }

    void PaintBackground() override { ::PaintBackground(0); }
    void ShowBanner() override { ShowPagePicture(); }
    bool DirectoryExists(std::string_view path) override { return QOsDirExists(path); }

    bool MakeDirectory(std::string_view path) override
    {
        QErrorInfo(1);
        QOsDirMake(path);
        if (QErrorInfo(1) != 0) return false;
        RecordChange(MakeUndoEntry(UndoKind::kDirectory, std::string(path)));
        return true;
    }

    int32_t CopyExpanded(std::string_view source, std::string_view destination) override
    {
        const PathBuffer from = ZeroTerminated(source), to = ZeroTerminated(destination);
        int32_t status = -1;
        copiedSize = -1;
        bool replaced = false;
        ::CopyExpanded(from.data(), to.data(), status, copiedSize, copyFailure, &replaced);
        if (status == 0) RecordCopiedFile(to.data(), replaced);
        // Its copies are made afresh, never read-only: nothing to clear.
        copiedSource = from.data();
        copiedDestination = status == 0 ? to.data() : "";
        return status;
    }

    // The file the copy has just made exists: asking the system again would
    // cost an open and a close.
    bool FileExists(std::string_view path) override
    {
        if (!copiedDestination.empty() && path == copiedDestination) {
            copiedDestination.clear();  // once: the answer holds only right after the copy
            return true;
        }
        Logical exists = kFalse;
        ::FileExists(path, exists);
        return IsTrue(exists);
    }

    std::string ExpandedName(std::string_view sourcePath) override
    {
        PathBuffer buffer = ZeroTerminated(sourcePath);
        ExpandedFileName(buffer.data(), 261);
        return std::string(buffer.data());
    }

    // The source just copied was measured by the copy; asking again would
    // cost a look-up of its path.
    bool SourceSize(std::string_view path, int64_t& size) override
    {
        if (copiedSize >= 0 && path == copiedSource) return size = copiedSize, true;
        return SourceFileSize(path, size);
    }
    std::string copiedSource, copiedDestination;
    int64_t copiedSize = -1;

    uint32_t copyFailure = 0;  // the Windows error of the last copy that failed

    // The copy ran out of room, or the file cannot fit once expanded (the
    // medium may hold it compressed to a fraction of that).
    bool SourceExceedsFreeSpace(std::string_view sourcePath) override
    {
        if (copyFailure == ERROR_DISK_FULL || copyFailure == ERROR_HANDLE_DISK_FULL) return true;
        if (copyFailure == ERROR_INVALID_DATA) return false;  // a damaged file: its header's length means nothing
        uint64_t freeBytes = 0;
        if (!FreeBytesOfDrive(TheInstallState().installDir.view(), freeBytes)) return false;
        const int64_t size = ExpandedSize(ZeroTerminated(sourcePath).data());
        return size >= 0 && static_cast<uint64_t>(size) > freeBytes;
    }

    void ShowProgressTexts(std::string_view from, std::string_view to) override { progress.Texts(from, to); }
    void SetProgress(int32_t position) override { progress.Position(position); }
    bool Collect(int32_t keyword, std::span<char> arguments) override
    {
        switch (keyword) {
        case kKeywordAssociate: return CollectAssociation(arguments);
        case kKeywordVariable: return CollectVariable(arguments);
        case kKeywordProgram: return CollectShortcut(arguments);
        default: return true;
        }
    }
    void Log(int32_t code, std::string_view text) override { InstallLogWrite(code, text); }
};

}  // namespace

void InstallPass(Logical& runOK)
{
    InstallState& state = TheInstallState();
    runOK = kFalse;
    state.bytesDone = 0;
    {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventPeek(type, record);  // whatever is pending from the pages is not for the pass
    }
    ToolkitPassServices services;
    const std::string path =
        std::string(state.sourceDir.view().substr(0, static_cast<std::size_t>(state.sourceDirLength))) + "INSTALL.LST";
    if (!services.FileExists(path)) {
        PaintBackground(0);
        services.Ask(kButtonsOk, kIconStop, 1, kScriptNotFound, kAborting);
        return;
    }
    OwnedFile script(std::fopen(InOwnCase(path).c_str(), "rb"));
    if (!script) {
        services.Ask(kButtonsOk, kIconStop, 1, kReadError, kAborting);
        return;
    }
    if (RunInstallPass(script.get(), services)) runOK = kTrue;
    services.progress.Flush();
}
