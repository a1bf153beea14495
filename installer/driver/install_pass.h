#pragma once
// The install pass on Windows: the progress dialog, the toolkit's events and
// message boxes, the file helpers and the log behind RunInstallPass.

#include "driver/install_state.h"

// runOK true only when the end of the script was reached.
void InstallPass(Logical& runOK);
