#pragma once
// The run from start to end.

#include <cstdint>

#include "driver/install_state.h"

void InstallerMain();
// Starts the toolkit and opens the full-screen root window captioned
// "Installation", as the run does first.
void OpenInstallerRootWindow();
// The installer's own directory, the platform and the installable drives.
// The table holds the first installable drive until FinishDriveScan fills in the rest.
void FindInstallableDrives(Logical& runOK);
void FinishDriveScan();
// Shows one step of the page sequence: 1, 2, 4, 5 the pages, 3 the progress
// dialog, 6 the restart dialog, -3 removes the progress dialog.
void ShowStep(int32_t step, Logical& runOK);
