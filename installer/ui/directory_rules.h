#pragma once
// The checks of the installation directory page that need no Windows call.

#include <functional>
#include <span>
#include <string_view>

// False for an empty name, one holding / * ? " < > |, or a colon anywhere but
// as the second character (and then only once). Names without a drive pass.
bool IsAcceptableDirectoryName(std::string_view name);

// True when the name (its significant part) is longer than the 255
// characters of a path handed to the system: no file could go there.
bool IsDirectoryNameTooLong(std::string_view name);

// Cuts the buffer back to its deepest ancestor that exists, testing with
// exists; stops at two characters (a drive such as C:) without testing them.
void CutToExistingAncestor(std::span<char> buffer, const std::function<bool(std::string_view)>& exists);
