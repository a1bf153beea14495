// Defaults and initialisation-file rules of the toolkit configuration.
#include "startup/config.h"

#include <cstdio>
#include <string>

#include "utilities/owned_file.h"
#include "utilities/text.h"

ToolkitConfig& TheConfig()
{
    static ToolkitConfig config;
    return config;
}

int32_t DisplayColoursFor(int32_t planes, int32_t bitsPerPixel)
{
    int64_t bits = static_cast<int64_t>(planes) * std::min<int32_t>(bitsPerPixel, 24);
    if (bits <= 0) return 1;
    if (bits > 24) bits = 24;  // more would not fit the 32-bit count
    return int32_t{1} << bits;
}

int32_t GraduatedColoursFor(int32_t displayColours)
{
    switch (displayColours) {
    case 2: return 2;
    case 16: return 8;
    case 256: return 16;
    default: return 256;
    }
}

void ApplyEnvironment(ToolkitConfig& config, const char* marwinit, const char* qrvchdir, const char* marwdebug)
{
    if (marwinit && SignificantLength(marwinit) > 0) config.initFileName.assign(marwinit);
    if (qrvchdir) config.charsetDir.assign(qrvchdir);
    if (marwdebug && marwdebug[0] >= '0' && marwdebug[0] <= '4') config.errorReportingMode = marwdebug[0] - '0';
}

namespace {

enum class IniKey { None, Printer, Plotter, PlName, CharSet, LfnGen, LfnPlotO, LfnPlotI, CharDir, Debug };

struct IniKeyName {
    std::string_view name;  // compared blank-padded to 8 characters
    IniKey key;
};

constexpr IniKeyName kIniKeys[] = {
    {"PRINTER", IniKey::Printer},   {"PLOTTER", IniKey::Plotter}, {"PLNAME", IniKey::PlName},
    {"CHARSET", IniKey::CharSet},   {"LFNGEN", IniKey::LfnGen},   {"LFNPLOTO", IniKey::LfnPlotO},
    {"LFNPLOTI", IniKey::LfnPlotI}, {"CHARDIR", IniKey::CharDir}, {"DEBUG", IniKey::Debug},
};

IniKey LookUpKey(std::string_view key)
{
    FixedText<8> name(key.substr(0, 8));
    QStrUpper(name);
    for (const IniKeyName& k : kIniKeys)
        if (TrimmedText(name.view()) == k.name && name.length() == k.name.size()) return k.key;
    return IniKey::None;
}

// A unit number is taken only when the other two units do not already use it.
void SetUnit(int32_t& unit, int32_t value, int32_t other1, int32_t other2)
{
    if (value != other1 && value != other2) unit = value;
}

}  // namespace

void ApplyIniLine(ToolkitConfig& config, std::string_view rawLine)
{
    std::string line(rawLine.substr(0, kIniLineLength));
    for (char& c : line)
        if (c == '\t') c = ' ';
    // Column numbers count from 1; "=" in column 1 or 170 leaves no key or no value.
    std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= kIniLineLength) return;

    std::string_view key = SignificantPart(std::string_view(line).substr(0, equals));
    if (key.size() < 3) return;
    {
        FixedText<3> head(key);
        QStrUpper(head);
        if (head.view() == "VER") config.versionRequested = true;
    }

    std::string_view value = SignificantPart(std::string_view(line).substr(equals + 1));
    if (value.empty()) return;

    const IniKey which = LookUpKey(key);
    int32_t number = 0;
    switch (which) {
    case IniKey::Printer:
    case IniKey::Plotter:
    case IniKey::LfnGen:
    case IniKey::LfnPlotO:
    case IniKey::LfnPlotI:
    case IniKey::Debug: {
        IntConversion converted = ConvertToInt(value);
        if (converted.error != 0) return;
        number = converted.value;
        break;
    }
    default: break;
    }

    switch (which) {
    case IniKey::None: break;
    case IniKey::Printer: config.printerSetting = number; break;
    case IniKey::Plotter: config.plotterSetting = number; break;
    case IniKey::PlName: config.plotterFile.assign(value); break;
    case IniKey::CharSet: config.charsetFile.assign(value); break;
    case IniKey::CharDir: config.charsetDir.assign(value); break;
    case IniKey::LfnGen: SetUnit(config.generalUnit, number, config.plotOutputUnit, config.plotInputUnit); break;
    case IniKey::LfnPlotO: SetUnit(config.plotOutputUnit, number, config.generalUnit, config.plotInputUnit); break;
    case IniKey::LfnPlotI: SetUnit(config.plotInputUnit, number, config.generalUnit, config.plotOutputUnit); break;
    case IniKey::Debug:
        if (number >= 0 && number <= 4) config.errorReportingMode = number;
        break;
    }
}

bool IniFileExists(const char* path) { return OwnedFile(std::fopen(path, "rb")) != nullptr; }

bool ReadIniFile(ToolkitConfig& config, const char* path)
{
    OwnedFile file(std::fopen(path, "rb"));
    if (!file) return false;
    std::string line;
    int c;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::fgetc(file.get())) != EOF && c != '\n') {
            // Only the first 170 characters of a line count; keep reading to its end.
            if (line.size() < kIniLineLength) line.push_back(static_cast<char>(c));
        }
        more = c != EOF;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (more || !line.empty()) ApplyIniLine(config, line);
    }
    return true;
}

void FinishConfig(ToolkitConfig& config)
{
    if (!config.charsetDir.blank() && config.charsetDir.trimmed().back() != '\\') config.charsetDir.append("\\");
    config.printerDriver = config.printerSetting >= 1 && config.printerSetting <= 37 ? config.printerSetting : 28;
    config.plotterDriver = config.plotterSetting >= 1 && config.plotterSetting <= 14 ? config.plotterSetting : 11;
}
