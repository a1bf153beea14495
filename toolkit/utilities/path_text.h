#pragma once
// Paths as texts, for the directory browser: joining, the drive letter, the
// part of a full path that names its root, and the directories a path
// passes through. Portable: nothing here asks the file system.

#include <string>
#include <string_view>
#include <vector>

// directory and name with one backslash between them ("C:" and "C:\" take
// the name directly, as does a blank directory).
std::string JoinPath(std::string_view directory, std::string_view name);

// "[name]" of the directory-list format without its brackets; blank when
// there is nothing between them.
std::string WithoutBrackets(std::string_view item);

// The drive letter of a path, in capitals; 0 for a path without one.
char DriveLetterOf(std::string_view path);

// The length of the root of a full path, kept as it is when the rest is
// rewritten: 3 for "C:\...", through the share's backslash for
// "\\server\share\..."; 0 for any other path.
std::size_t RootLength(std::string_view path);

// The directories to create, in order, so that path exists: every prefix
// ending before a backslash that is not part of a root, then path itself.
std::vector<std::string> DirectoriesOnPath(std::string_view path);
