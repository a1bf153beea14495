#pragma once
// Text operations on fixed-length, blank-padded fields. Portable.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "utilities/fixed_text.h"

void QStrUpper(std::span<char> text);
void QStrLower(std::span<char> text);
int32_t QStrLength(std::string_view text);
// Moves the first blank-delimited word of text into word and blanks it in text.
void QStrFirstWord(std::span<char> text, std::span<char> word);
// "L" left, "R" right, any other code centres the significant part.
void QStrJustify(std::span<char> text, std::string_view code);
// The first word of text as a 32-bit integer; errors 10, 12 and 4 leave 0.
void QStrToInt(std::string_view text, int32_t& value);
// value written by an integer edit format such as "(I2.2)" or "(I10)".
void QStrFromInt(int32_t value, std::span<char> text, std::string_view format);

// The conversion behind QStrToInt, without touching the error state.
struct IntConversion {
    int32_t value = 0;
    int32_t error = 0;  // 0, or the code QStrToInt raises
};
IntConversion ConvertToInt(std::string_view text);

// The edit behind QStrFromInt: false when the format is not an integer edit
// format; otherwise out holds the edited field (asterisks when it overflows).
bool EditInteger(int32_t value, std::string_view format, std::string& out);
