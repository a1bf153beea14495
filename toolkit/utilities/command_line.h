#pragma once
// Splitting the program's command line into words. Portable.

#include <string_view>
#include <vector>

// Words are separated by blanks; a word that begins with a double quote runs
// to the next double quote (the quotes are not part of the word). Word 0 is
// the program's own name.
std::vector<std::string_view> CommandLineWords(std::string_view line);
