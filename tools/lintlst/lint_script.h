#pragma once
// Everything in an install script that the installer would silently ignore,
// cut or fail on late, found by reading the script with the installer's own
// line routines. Portable.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct LintFinding {
    int32_t line = 0;
    int32_t column = 0;  // 1-based
    bool error = false;  // else a warning
    std::string message;
};

// Where the files the script names are looked for: a path of the medium as
// the script writes it ("DATA\SAMPLE.DA_") to "is there"; and whether a
// picture there can be drawn. Without them the files are not looked at.
struct LintFiles {
    std::function<bool(const std::string& mediumPath)> exists;
    std::function<bool(const std::string& mediumPath)> drawable;
};

// The findings of a whole script, open from its start (a file it can read
// twice: once as written, for columns and lengths, once as the installer
// reads it), in line order.
std::vector<LintFinding> LintScript(std::FILE* script, const LintFiles& files = {});
