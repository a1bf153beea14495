#pragma once
// INSTALL.LOG in the installation directory: created after the directory
// page, written by the install pass and the system steps, summed up and
// closed at the end of the run.

#include <cstdint>
#include <string_view>

#include "driver/install_log_core.h"
#include "driver/install_state.h"

// -1 creates the log and writes its header; -2 writes the summary and
// closes it; any other code does nothing.
void InstallLogControl(int32_t code, Logical& runOK);
// Appends one entry line; a failed write changes nothing for the caller.
void InstallLogWrite(int32_t code, std::string_view text);
