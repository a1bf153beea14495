// The system steps on this machine: the portable steps with the toolkit,
// the log, Program Manager, the registry and the registry editor.
#include <windows.h>

#include <array>
#include <cstring>

#include "driver/change_record.h"
#include "driver/install_log.h"
#include "errors/errors.h"
#include "script/script_reader.h"
#include "system/file_helpers.h"
#include "system/system_steps.h"
#include "system/system_steps_core.h"
#include "utilities/os.h"
#include "utilities/owned_file.h"
#include "windows/message_box.h"

namespace {

// Seconds the run waits for the registry editor: the clean-up must not take
// its script away while it reads, yet a hung editor must not hold the run.
constexpr int32_t kRegistryEditorSeconds = 30;

struct ToolkitSystemServices final : SystemServices {
    std::FILE* Open(const std::string& path, const char* mode) override { return std::fopen(path.c_str(), mode); }

    void Delete(std::string_view path) override
    {
        QOsDelete(path);
        QErrorInfo(1);
    }

    bool FileExists(std::string_view path) override
    {
        Logical exists = kFalse;
        ::FileExists(path, exists);
        return IsTrue(exists);
    }

    bool ReadOnly(std::string_view path) override
    {
        const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }

    void Tell(int32_t icon, std::string_view text, std::string_view caption) override
    {
        QMsgBox(kButtonsOk, icon, 1, text, caption);
    }

    void Log(std::string_view text) override { InstallLogWrite(kLogText, text); }
    void Today(int32_t& year, int32_t& month, int32_t& day) override { QOsDate(year, month, day); }

    bool AddProgramItems(const std::vector<ShortcutEntry>& entries) override { return ::AddProgramItems(entries); }

    bool SetEnvironmentValue(std::string_view name, std::string_view value) override
    {
        const std::string n(name), v(value);
        int32_t status = -1;
        ::SetEnvironmentValue(status, n.c_str(), static_cast<int32_t>(n.size() + 1), v.c_str(),
                              static_cast<int32_t>(v.size() + 1));
        return status == ERROR_SUCCESS;
    }

    bool EnvironmentValue(std::string_view name, std::string& value) override
    {
        return GetEnvironmentValue(std::string(name), value);
    }

    void AnnounceEnvironment() override { AnnounceEnvironmentChange(); }

    std::string ShortPath(std::string_view path) override
    {
        std::array<char, 261> buffer{};
        path = TrimmedText(path).substr(0, buffer.size() - 1);
        std::memcpy(buffer.data(), path.data(), path.size());
        ToShortPathName(buffer.data(), static_cast<int32_t>(buffer.size()));
        return std::string(buffer.data());
    }

    void RecordChange(const UndoEntry& entry) override { ::RecordChange(entry); }

    void RecordRegistryScript(const std::string& path) override
    {
        OwnedFile script(std::fopen(path.c_str(), "rb"));
        ScriptLine line;
        while (script && ReadScriptLine(script.get(), line) == ScriptRead::kLine) {
            std::string key, value;
            if (SplitRegistryLine(line.trimmed(), key, value))
                RecordRegistryValue("HKCR", key, "", StringData(REG_SZ, value));
        }
    }

    bool RunRegistryEditor(std::string_view commandLine) override
    {
        QErrorInfo(1);
        QOsExecute(commandLine, kExecuteHidden | kExecuteWait, kRegistryEditorSeconds);
        return QErrorInfo(1) == 0;  // started, and ended in time
    }
};

ToolkitSystemServices& Services()
{
    static ToolkitSystemServices services;
    return services;
}

}  // namespace

bool CollectShortcut(std::span<char> arguments) { return CollectShortcut(arguments, Services()); }
bool CollectAssociation(std::span<char> arguments) { return CollectAssociation(arguments, Services()); }
bool CollectVariable(std::span<char> arguments) { return CollectVariable(arguments, Services()); }
void ApplyShortcuts(Logical& runOK) { ApplyShortcuts(runOK, Services()); }
void ApplyVariables(Logical& runOK) { ApplyVariables(runOK, Services()); }
void ApplyAssociations(Logical& runOK) { ApplyAssociations(runOK, Services()); }
void RemoveTemporaryFiles() { RemoveTemporaryFiles(Services()); }
