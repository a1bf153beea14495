// The install script parser, apart from opening the script.
#include "script/script_parser_core.h"

#include <string>

#include "driver/install_state.h"
#include "driver/messages.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_reader.h"
#include "utilities/text.h"

namespace {

// What one read of the script carries from line to line.
struct ReadPosition {
    int32_t sectionKind = kSectionNone;
    int32_t page = 0;  // 0: no page selected yet
    bool continuation = false;
};

// The first message line of a section joins the target directly; later ones
// start a new line.
void AppendMessageLine(FixedText<kScriptMessageLength>& target, std::string_view text, bool& continuation)
{
    const std::string_view separator = continuation ? "\r\n" : "";
    continuation = true;
    target.append(separator);
    target.append(text);
}

// The proposed directory always lies on the first installable drive,
// whatever drive the script names.
void ProposeInstallDir(std::span<char> rest)
{
    InstallState& state = TheInstallState();
    ScriptArgument argument;
    NextArgument(rest, argument);
    std::string_view d = argument.view();
    if (d[1] == ':') d.remove_prefix(2);
    if (d[0] == '\\') d.remove_prefix(1);
    std::string dir(state.installableDrives[0].view());
    dir.push_back('\\');
    dir.append(d);
    state.installDir.assign(dir);
}

// Adds the size of a copy source to the byte total. False when the source
// is missing, after telling the user.
bool SizeCopySource(std::span<char> rest, ScriptServices& services)
{
    InstallState& state = TheInstallState();
    ScriptArgument source;
    ScriptArgument target;  // used only by the install pass
    NextArgument(rest, source);
    NextArgument(rest, target);
    if (source.blank()) return true;

    std::string joined(state.sourceDir.trimmed());
    joined.append(state.subDir.trimmed());
    joined.append(source.trimmed());
    const FixedText<261> path(joined);

    int64_t size = 0;
    if (!services.SourceFileSize(path.trimmed(), size)) {
        services.ShowStopMessage(Filled(kFileNotFound, {path.trimmed()}), kFileNotFoundCaption);
        return false;
    }
    state.bytesDone += size;
    state.progressScale = static_cast<float>(state.bytesDone) / 65535.0f;
    return true;
}

void StoreInRange(std::string_view rest, int32_t low, int32_t high, int32_t& setting)
{
    int32_t value = 0;
    QStrToInt(rest, value);
    if (value >= low && value <= high) setting = value;
}

void ApplyGeneralLine(int32_t keyword, ScriptLine& rest, std::size_t restLength, bool& continuation)
{
    GeneralSettings& general = TheInstallPlan().general;
    switch (keyword) {
    case kKeywordDefdest: ProposeInstallDir(rest); break;
    case kKeywordTitle: TheInstallState().generalTitle.assign(rest.view()); break;
    case kKeywordMessage: AppendMessageLine(general.message, rest.view().substr(0, restLength), continuation); break;
    case kKeywordBackgrnd: StoreInRange(rest, 0, 3, general.backgroundStyle); break;
    case kKeywordFont: StoreInRange(rest, 1, 8, general.font); break;
    case kKeywordColour:
        ReadColour(rest, general.titleColour.red, general.titleColour.green, general.titleColour.blue);
        break;
    case kKeywordSfillcol:
        ReadColour(rest, general.startFillColour.red, general.startFillColour.green, general.startFillColour.blue);
        break;
    case kKeywordEfillcol:
        ReadColour(rest, general.endFillColour.red, general.endFillColour.green, general.endFillColour.blue);
        break;
    default: break;
    }
}

void ApplyPageLine(int32_t keyword, ScriptLine& rest, std::size_t restLength, ReadPosition& position)
{
    if (position.page == 0) return;
    PageText& text = TheInstallPlan().pages[static_cast<std::size_t>(position.page)];
    switch (keyword) {
    case kKeywordTitle: text.title.assign(rest.view()); break;
    case kKeywordMessage:
        AppendMessageLine(text.message, rest.view().substr(0, restLength), position.continuation);
        break;
    case kKeywordBanner:
        text.hasPicture = true;
        NextArgument(rest, text.picture);
        break;
    default: break;
    }
}

// False when parsing must stop.
bool ApplyFileLine(int32_t keyword, ScriptLine& rest, ReadPosition& position, ScriptServices& services)
{
    switch (keyword) {
    case kKeywordCopy: return SizeCopySource(rest, services);
    case kKeywordChdir: {
        ScriptArgument directory;
        NextArgument(rest, directory);
        SetSubdirectory(directory);
        return true;
    }
    case kKeywordMessage: position.continuation = true; return true;
    default: return true;
    }
}

}  // namespace

bool ParseScript(std::FILE* script, ScriptServices& services)
{
    TheInstallState().bytesDone = 0;
    ReadPosition position;
    ScriptLine line;
    ScriptKeyword keyword;
    for (;;) {
        switch (ReadScriptLine(script, line)) {
        case ScriptRead::kEnd: return true;
        case ScriptRead::kError: services.ShowStopMessage(kParserReadError, kAbort); return false;
        case ScriptRead::kLine: break;
        }
        if (line.blank()) continue;

        // From here on the line holds the rest after the keyword.
        const std::size_t restLength = PrepareScriptLine(line, keyword);
        ClassifySection(keyword, line, position.sectionKind, position.page, position.continuation);
        const int32_t word = FindKeyword(keyword);
        switch (position.sectionKind) {
        case kSectionGeneral: ApplyGeneralLine(word, line, restLength, position.continuation); break;
        case kSectionPage: ApplyPageLine(word, line, restLength, position); break;
        case kSectionFile:
            if (!ApplyFileLine(word, line, position, services)) return false;
            break;
        default: break;
        }
    }
}
