// QStartUp: the Windows side of toolkit start-up.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "errors/errors.h"
#include "startup/config.h"
#include "startup/startup.h"
#include "utilities/os.h"
#include "windows/device_context.h"

namespace {

void MeasureDisplay(ToolkitConfig& config)
{
    WindowDC screen(nullptr);
    if (!screen) return;
    config.screenWidth = GetDeviceCaps(screen.get(), HORZRES);
    config.screenHeight = GetDeviceCaps(screen.get(), VERTRES);
    config.displayColours =
        DisplayColoursFor(GetDeviceCaps(screen.get(), PLANES), GetDeviceCaps(screen.get(), BITSPIXEL));
    config.graduatedColours = GraduatedColoursFor(config.displayColours);
}

void ReadPlatform(ToolkitConfig& config)
{
    WindowsVersion version = ReadWindowsVersion();
    config.isWin32s = version.platform == kPlatformWin32s;
    config.isWindows95 = version.platform == kPlatformWindows95;
    config.isWindowsNT = version.platform == kPlatformWindowsNT;
    config.majorVersion = version.major;
}

void ReadSystemDirectory(ToolkitConfig& config)
{
    char directory[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(directory, MAX_PATH);
    config.systemDir.assign(std::string_view(directory, n <= MAX_PATH ? n : 0));
}

}  // namespace

void QStartUp(std::string_view fileName)
{
    ToolkitConfig& config = TheConfig();
    if (config.started) return;
    config.started = true;

    MeasureDisplay(config);
    ReadPlatform(config);
    ResetErrorState();
    ApplyEnvironment(config, std::getenv("MARWINIT"), std::getenv("QRVCHDIR"), std::getenv("MARWDEBUG"));
    ReadSystemDirectory(config);
    CachedCommandLine();

    std::string requested(SignificantPart(fileName.substr(0, kIniLineLength)));
    std::string standard = config.initFileName.str();
    if (!requested.empty() && IniFileExists(requested.c_str()))
        ReadIniFile(config, requested.c_str());
    else if (!standard.empty() && IniFileExists(standard.c_str()))
        ReadIniFile(config, standard.c_str());

    FinishConfig(config);
    SetErrorReportingMode(config.errorReportingMode);
    if (config.versionRequested) AbnormalExit("Marrowfield version " + std::string(kToolkitVersion), 0);
}
