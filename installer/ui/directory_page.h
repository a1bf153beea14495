#pragma once
// The installation directory page: the proposed directory, Browse, and the
// checks of Continue.

#include <cstdint>
#include <span>

#include "driver/install_state.h"

// mode 1: the page follows the initial page, which it removes once it is up.
void ChooseInstallDirectory(int32_t mode, Logical& accepted);
// Creates the directory named by the first length characters of path, and
// any missing parents first; failures are ignored.
void MakeDirectoryPath(std::span<char> path, int32_t length);
