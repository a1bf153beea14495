#include "system/system_lines.h"

#include <cstring>

#include "driver/install_state.h"
#include "script/script_lines.h"
#include "system/text_scan.h"

namespace {

constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT\\";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string TwoDigits(int32_t value)
{
    const int32_t v = value < 0 ? 0 : value % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

}  // namespace

FixedText<261> TemporaryFilePath(std::string_view name)
{
    std::string path(TheInstallState().installDir.trimmed());
    path.append(name);
    return FixedText<261>(path);
}

std::string ShortcutLine(std::string_view arguments) { return std::string(TrimmedText(arguments)); }

std::string VariableLine(std::span<char> arguments, bool windowsNT)
{
    SubstituteDefdir(arguments);
    std::string line = windowsNT ? "" : "SET ";
    line.append(TrimmedText(AsView(arguments)));
    return line;
}

std::array<std::string, 3> AssociationLines(std::string_view arguments, bool win32s)
{
    BarFields fields;
    SplitBarFields(arguments, fields, {false, false, true}, 3);
    FixedText<261>& extension = fields[0];
    if (extension[0] != '.') extension.assign("." + std::string(extension.view()));  // the last character drops off
    const std::string type = std::string(TrimmedText(extension.view().substr(1))) + "file";
    const std::string command(fields[2].trimmed());
    std::string root(kClassesRoot);
    return {root + std::string(extension.trimmed()) + " = " + type,
            root + type + " = " + std::string(fields[1].trimmed()),
            root + type + "\\shell\\open\\command = " + (win32s ? command : '"' + command + '"') + " %1"};
}

bool SplitRegistryLine(std::string_view line, std::string& key, std::string& value)
{
    const std::size_t equals = line.find(" = ");
    if (!line.starts_with(kClassesRoot) || equals == std::string_view::npos) return false;
    key = line.substr(kClassesRoot.size(), equals - kClassesRoot.size());
    value = line.substr(equals + 3);
    return !key.empty();
}

bool AssociationHasFields(std::string_view arguments)
{
    BarFields fields;
    SplitBarFields(arguments, fields, {false, false, false}, 3);
    const std::string_view extension = TrimmedText(fields[0].view());
    return !TrimmedText(extension.substr(extension.starts_with('.') ? 1 : 0)).empty() && !fields[2].trimmed().empty();
}

bool ShortcutHasFields(std::string_view arguments)
{
    BarFields fields;
    SplitBarFields(arguments, fields, {false, false, false}, 2);
    return !fields[0].trimmed().empty() && !fields[1].trimmed().empty();
}

bool VariableHasName(std::string_view arguments)
{
    const std::size_t equals = arguments.find('=');
    return equals == std::string_view::npos || !TrimmedText(arguments.substr(0, equals)).empty();
}

std::string SkippedLineText(std::string_view keyword, std::string_view arguments)
{
    return Filled(kLogSkipped, {keyword, TrimmedText(arguments)});
}

ShortcutEntry ParseShortcutEntry(std::string_view line)
{
    BarFields fields;
    SplitBarFields(line, fields, {false, true, false}, 3);
    return {fields[0].str(), fields[1].str(), fields[2].str()};
}

std::string ShowGroupCommand(std::string_view group) { return "[ShowGroup(" + std::string(group) + ",1)]"; }
std::string CreateGroupCommand(std::string_view group) { return "[CreateGroup(" + std::string(group) + ")]"; }

std::string AddItemCommand(std::string_view command, std::string_view item)
{
    return "[Additem(\"" + std::string(command) + "\",\"" + std::string(item) + "\")]";
}

void GroupNameTable::Fill(char* reply)
{
    for (char* token = NextToken(reply, "\n"); token != nullptr; token = NextToken(nullptr, "\n")) {
        if (char* ret = FindLastChar(token, '\r')) *ret = '\0';
        const std::size_t length = std::strlen(token);
        if (length >= kSlotBytes || slots_.size() == kSlots) continue;
        std::array<char, kSlotBytes>& slot = slots_.emplace_back();
        std::memcpy(slot.data(), token, length + 1);
    }
}

void GroupNameTable::Add(std::string_view group)
{
    if (group.size() >= kSlotBytes || slots_.size() == kSlots) return;
    std::array<char, kSlotBytes>& slot = slots_.emplace_back();
    group.copy(slot.data(), group.size());
    slot[group.size()] = '\0';
}

bool GroupNameTable::Contains(std::string_view group) const
{
    for (const auto& slot : slots_)
        if (EqualIgnoringCase(slot.data(), group)) return true;
    return false;
}

std::string GroupCommand(const GroupNameTable& groups, std::string_view group)
{
    return groups.Contains(group) ? ShowGroupCommand(group) : CreateGroupCommand(group);
}

bool SplitVariable(std::string_view line, std::string& name, std::string& value)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    name.assign(TrimmedText(line.substr(0, equals)));
    value.assign(TrimmedText(line.substr(equals + 1)));
    return true;
}

namespace {

// Where the next %NAME% in any letter case begins, from `from` on.
std::size_t FindReference(std::string_view name, std::string_view value, std::size_t from)
{
    std::string reference(name.size() + 2, '%');
    name.copy(reference.data() + 1, name.size());
    for (std::size_t at = from; at + reference.size() <= value.size(); ++at)
        if (EqualIgnoringCase(value.substr(at, reference.size()), reference)) return at;
    return std::string_view::npos;
}

}  // namespace

bool RefersToItself(std::string_view name, std::string_view value)
{
    return !name.empty() && FindReference(name, value, 0) != std::string_view::npos;
}

std::string ExtendedValue(std::string_view name, std::string_view value, const std::string* existing)
{
    const bool none = existing == nullptr || existing->empty();
    std::string result;
    std::size_t from = 0;
    for (std::size_t at; !name.empty() && (at = FindReference(name, value, from)) != std::string_view::npos;) {
        result.append(value.substr(from, at - from));
        from = at + name.size() + 2;
        if (!none) {
            result.append(*existing);
        } else if (from < value.size() && value[from] == ';') {
            ++from;
        } else if (!result.empty() && result.back() == ';') {
            result.pop_back();
        }
    }
    return result.append(value.substr(from));
}

std::string StartMarker(int32_t year, int32_t month, int32_t day)
{
    static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const std::size_t m = static_cast<std::size_t>(month >= 1 && month <= 12 ? month - 1 : 0);
    std::string marker = "rem Start of variables added by R.L.V. Installer on " + TwoDigits(day) + " ";
    marker.append(kMonths.substr(3 * m, 3));
    marker.append(" ").append(TwoDigits(year / 100)).append(TwoDigits(year % 100));
    marker.resize(80, ' ');
    return marker;
}

std::string AutoexecPath(std::string_view drive) { return std::string(drive) + "\\autoexec.bat"; }

std::string AutoexecLogText(std::string_view drive) { return Filled(kLogAutoexec, {drive}); }

std::string AutoexecWriteError(std::string_view drive) { return Filled(kAutoexecWriteError, {drive}); }

bool IsMachineEnvironmentUser(std::string_view userName) { return EqualIgnoringCase(userName, "Administrator"); }
