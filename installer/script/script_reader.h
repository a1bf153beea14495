#pragma once
// Reads the install script as records of one line each. Portable: the
// caller opens and closes the file.

#include <cstdio>

#include "script/script_lines.h"

enum class ScriptRead {
    kLine,   // line holds the next record
    kEnd,    // end of the script: end of file, or a line starting with Ctrl-Z
    kError,  // the file could not be read
};

// The next line into the 1024-character record: longer lines are cut,
// shorter ones blank-padded. Lines end with LF or CR LF; a last line without
// an end is read like any other. After kEnd or kError the caller stops.
ScriptRead ReadScriptLine(std::FILE* script, ScriptLine& line);
