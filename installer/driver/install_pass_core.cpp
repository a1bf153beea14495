// The install pass, apart from opening the script and the Windows services.
#include "driver/install_pass_core.h"

#include "driver/install_log_core.h"
#include "driver/messages.h"
#include "driver/install_state.h"
#include "script/script_lines.h"
#include "script/script_reader.h"
#include "windows/message_box.h"

namespace {

constexpr int32_t kYes = 1;
constexpr int32_t kRetry = 1;
constexpr int32_t kIgnore = 0;

using DirectoryText = FixedText<1024>;
using PathText = FixedText<261>;

void Stop(PassServices& s, std::string_view text, std::string_view caption)
{
    s.Ask(kButtonsOk, kIconStop, 1, text, caption);
}

std::string Joined(std::string_view a, std::string_view b, std::string_view c = {})
{
    std::string joined(TrimmedText(a));
    joined.append(TrimmedText(b));
    joined.append(TrimmedText(c));
    return joined;
}

// Cancel and redraws between commands; false when the user chose to abort.
bool ServeEvents(PassServices& s)
{
    for (;;) {
        switch (s.NextEvent()) {
        case PassEvent::kNone: return true;
        case PassEvent::kCancel:
            if (s.Ask(kButtonsYesNo, kIconQuestion, 2, kCancelQuestion, kCancelQuestionCaption) == kYes) {
                Stop(s, kCancelled, kCancelledCaption);
                return false;
            }
            break;
        case PassEvent::kRedraw:
            s.PaintBackground();
            if (!TheInstallState().bannerPath.blank()) s.ShowBanner();
            break;
        case PassEvent::kOther: break;
        }
    }
}

void ShowBanner(std::span<char> arguments, PassServices& s)
{
    InstallState& state = TheInstallState();
    s.PaintBackground();
    NextArgument(arguments, state.bannerPath);
    state.bannerPath.assign(Joined(state.sourceDir, state.bannerPath));
    s.ShowBanner();
}

bool MakeDirectory(std::span<char> arguments, PassServices& s)
{
    DirectoryText path;
    NextArgument(arguments, path);
    // Always under the installation directory, whatever the current subdirectory.
    path.assign(Joined(TheInstallState().installDir, path));
    if (s.DirectoryExists(path.trimmed())) return true;
    if (!s.MakeDirectory(path.trimmed())) {
        Stop(s, kReadError, kAborting);
        return false;
    }
    s.Log(kLogCreatedDirectory, path.trimmed());
    return true;
}

bool ChangeDirectory(std::span<char> arguments, PassServices& s)
{
    DirectoryText directory;
    NextArgument(arguments, directory);
    SetSubdirectory(directory);
    if (s.DirectoryExists(TheInstallState().targetDir.trimmed())) return true;
    Stop(s, kReadError, kAborting);
    return false;
}

enum class CopyOutcome { kNextLine, kStop };

CopyOutcome Copy(std::span<char> arguments, PassServices& s)
{
    InstallState& state = TheInstallState();
    const ScriptLine saved(AsView(arguments));
    for (;;) {  // a retry reads the same arguments again
        ScriptLine rest = saved;
        ScriptArgument sourceName, destinationName;
        NextArgument(rest, sourceName);
        NextArgument(rest, destinationName);
        if (sourceName.blank()) return CopyOutcome::kNextLine;

        const PathText sourcePath(Joined(state.sourceDir, state.subDir, sourceName));
        if (destinationName.blank()) {
            const std::string expanded = s.ExpandedName(sourcePath.trimmed());
            const std::size_t slash = expanded.rfind('\\');
            destinationName.assign(slash == std::string::npos ? expanded : expanded.substr(slash + 1));
        }
        const PathText destinationPath(Joined(state.installDir, state.subDir, destinationName));
        const std::string source(sourcePath.trimmed()), destination(destinationPath.trimmed());
        s.ShowProgressTexts("From:  " + source, "To:  " + destination);

        bool done = s.CopyExpanded(source, destination) == 0 && s.FileExists(destination);
        const std::string record = Filled(kLogCopyRecord, {source, destination});
        if (done) {
            int64_t size = 0;
            if (!s.SourceSize(source, size)) {
                Stop(s, Filled(kFileNotFound, {source}), kFileNotFoundCaption);
                return CopyOutcome::kStop;
            }
            state.bytesDone += size;
            s.SetProgress(ProgressPosition(state.bytesDone, state.progressScale));
            s.Log(kLogCopiedFile, record);
            return CopyOutcome::kNextLine;
        }
        if (s.SourceExceedsFreeSpace(source)) {
            ++state.copyErrors;
            Stop(s, Filled(kDiskFull, {source, destination}), kFileCopyError);
            return CopyOutcome::kStop;
        }
        const int32_t answer =
            s.Ask(kButtonsAbortRetryIgnore, kIconStop, 1, Filled(kCopyFailed, {source}), kFileCopyError);
        if (answer == kRetry) continue;
        ++state.copyErrors;
        if (answer != kIgnore) return CopyOutcome::kStop;
        s.Log(kLogCopyError, record);
        return CopyOutcome::kNextLine;
    }
}

// Carries out one command of a file section; false when the pass must end.
bool RunCommand(int32_t keyword, std::span<char> arguments, PassServices& s)
{
    switch (keyword) {
    case kKeywordBanner: ShowBanner(arguments, s); return true;
    case kKeywordMkdir: return MakeDirectory(arguments, s);
    case kKeywordChdir: return ChangeDirectory(arguments, s);
    case kKeywordCopy: return Copy(arguments, s) == CopyOutcome::kNextLine;
    case kKeywordAssociate:
    case kKeywordVariable:
    case kKeywordProgram: return s.Collect(keyword, arguments);
    default: return true;
    }
}

}  // namespace

int32_t ProgressPosition(int64_t bytesDone, float progressScale)
{
    if (!(progressScale > 0)) return 0;  // nothing was counted: the bar stays empty
    const double position = static_cast<double>(bytesDone) / static_cast<double>(progressScale);
    return position >= 65535.0 ? 65535 : position <= 0 ? 0 : static_cast<int32_t>(position);
}

bool RunInstallPass(std::FILE* script, PassServices& services)
{
    int32_t sectionKind = kSectionNone;
    int32_t page = 0;
    bool continuation = false;
    ScriptLine line;
    ScriptKeyword keyword;
    for (;;) {
        switch (ReadScriptLine(script, line)) {
        case ScriptRead::kEnd: return true;
        case ScriptRead::kError: Stop(services, kReadError, kAborting); return false;
        case ScriptRead::kLine: break;
        }
        if (line.blank() || line[0] == '#') continue;

        // From here on the line holds the argument text.
        PrepareScriptLine(line, keyword);
        ClassifySection(keyword, line, sectionKind, page, continuation);
        if (!ServeEvents(services)) return false;
        if (sectionKind != kSectionFile) continue;
        if (!RunCommand(FindKeyword(keyword), line, services)) return false;
    }
}
