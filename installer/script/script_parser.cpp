// The script parser on Windows: the toolkit's file operations and message
// boxes behind ParseScript.
#include <cstdio>
#include <string>

#include "driver/messages.h"
#include "script/script_parser_core.h"
#include "system/file_helpers.h"
#include "utilities/fixed_text.h"
#include "windows/message_box.h"

namespace {

struct ToolkitScriptServices final : ScriptServices {
    bool SourceFileSize(std::string_view path, int64_t& size) override { return ::SourceFileSize(path, size); }

    void ShowStopMessage(std::string_view text, std::string_view caption) override
    {
        QMsgBox(kButtonsOk, kIconStop, 1, text, caption);
    }
};

}  // namespace

void ScriptParser(std::string_view path, Logical& status)
{
    status = kFalse;
    ToolkitScriptServices services;
    const std::string name(TrimmedText(path));
    std::FILE* script = std::fopen(InOwnCase(name).c_str(), "rb");
    if (script == nullptr) {
        services.ShowStopMessage(kParserScriptNotFound, kAbort);
        return;
    }
    const bool complete = ParseScript(script, services);
    std::fclose(script);
    if (complete) status = kTrue;
}
