#pragma once
// The installation state: one record for the whole run, shared by the
// driver, the script parser, the pages, the install pass, the log and the
// system steps.

#include <array>
#include <cstdint>

#include "script/install_plan.h"
#include "utilities/fixed_text.h"

// Logical values: -1 true, 0 false; readers test only the lowest bit.
using Logical = int32_t;
constexpr Logical kTrue = -1;
constexpr Logical kFalse = 0;
constexpr bool IsTrue(Logical value) { return (value & 1) != 0; }

struct InstallState {
    Logical runOK = kFalse;
    FixedText<261> sourceDir;
    int32_t sourceDirLength = 0;
    FixedText<261> installDir;
    FixedText<261> subDir;
    FixedText<1024> targetDir;
    FixedText<261> bannerPath;
    FixedText<261> generalTitle;
    int64_t bytesDone = 0;  // bytes in 64 bits: installations beyond 2 GB stay right
    float progressScale = 0;
    int32_t copyErrors = 0;
    int32_t shortcutCount = 0;
    int32_t variableCount = 0;
    int32_t associationCount = 0;
    int32_t addShortcuts = 0;
    int32_t addVariables = 0;
    int32_t associateTypes = 0;
    Logical configPageNeeded = kFalse;
    int32_t restartAnswer = 0;
    Logical isWindowsNT = kFalse;
    Logical isWin32s = kFalse;
    int32_t installableDriveCount = 0;
    std::array<FixedText<2>, 26> installableDrives;
    char driveScanRest = 0;  // the letter the drive scan goes on from, 0 when the table is whole
    // The background last painted: its mode, settings and colours, and the surface's change count after it.
    int32_t paintedMode = -1;
    GeneralSettings paintedSettings;
    int32_t paintedColours = 0;
    uint32_t paintedSurface = 0;
};

InstallState& TheInstallState();
