#pragma once
// The toolkit's configuration: what QStartUp measures and reads from the
// environment and the initialisation file. The rules for the file live here,
// apart from the Windows calls, so they can be tested and fuzzed natively.

#include <cstdint>
#include <string_view>

#include "utilities/fixed_text.h"

struct ToolkitConfig {
    bool started = false;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t displayColours = 0;
    int32_t graduatedColours = 0;
    bool isWin32s = false;
    bool isWindows95 = false;
    bool isWindowsNT = false;
    int32_t majorVersion = 0;
    char pathSeparator = '\\';
    int32_t generalUnit = 40;
    int32_t plotOutputUnit = 41;
    int32_t plotInputUnit = 42;
    int32_t errorReportingMode = 0;
    FixedText<60> applicationName{"Marrowfield"};
    FixedText<160> initFileName{"marrow.ini"};
    FixedText<160> plotterFile{"quorvant.plt"};
    FixedText<160> charsetFile{"standard.chr"};
    FixedText<140> charsetDir;
    FixedText<140> systemDir;
    int32_t printerDriver = 28;
    int32_t plotterDriver = 11;

    // Seen while reading; applied when reading is finished.
    int32_t printerSetting = 0;
    int32_t plotterSetting = 0;
    bool versionRequested = false;
};

// The one configuration of the process.
ToolkitConfig& TheConfig();

constexpr std::size_t kIniLineLength = 170;
constexpr std::string_view kToolkitVersion = "2.20";

// 2 to the power planes x bits per pixel (bits limited to 24).
int32_t DisplayColoursFor(int32_t planes, int32_t bitsPerPixel);
// 2 -> 2, 16 -> 8, 256 -> 16, anything else -> 256.
int32_t GraduatedColoursFor(int32_t displayColours);

// Takes MARWINIT, QRVCHDIR and MARWDEBUG (null when unset).
void ApplyEnvironment(ToolkitConfig& config, const char* marwinit, const char* qrvchdir, const char* marwdebug);
// One line of the initialisation file.
void ApplyIniLine(ToolkitConfig& config, std::string_view line);
// Every line of the file; false when it cannot be opened.
bool ReadIniFile(ToolkitConfig& config, const char* path);
// Appends the backslash of the character set directory and settles the
// printer and plotter drivers.
void FinishConfig(ToolkitConfig& config);
// Whether a file of that name can be opened for reading.
bool IniFileExists(const char* path);
