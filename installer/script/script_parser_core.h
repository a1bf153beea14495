#pragma once
// The install script parser: reads the script once into the InstallPlan and
// the first fields of InstallState. Portable; the two Windows services it
// needs come from the caller.

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "driver/install_state.h"

struct ScriptServices {
    virtual ~ScriptServices() = default;
    // Size in bytes of a copy source; false when it cannot be opened.
    virtual bool SourceFileSize(std::string_view path, int64_t& size) = 0;
    // A modal OK box with the stop icon.
    virtual void ShowStopMessage(std::string_view text, std::string_view caption) = 0;
};

// Parses the open script from its current position. True when the end of
// the script was reached; false after a read error or a missing copy source,
// each told to the user first. The plan keeps what was parsed either way.
bool ParseScript(std::FILE* script, ScriptServices& services);

// The Windows shell around ParseScript (script_parser.cpp): opens the script
// at path, sizes copy sources and shows messages with the toolkit.
void ScriptParser(std::string_view path, Logical& status);
