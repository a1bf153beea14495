#pragma once
// Toolkit start-up: measures the display, sets the defaults and reads the
// environment and the initialisation file. Called once, before anything else
// of the toolkit; later calls change nothing.

#include <string_view>

void QStartUp(std::string_view fileName);
