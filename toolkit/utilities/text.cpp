// Text operations on blank-padded fields.
#include "utilities/text.h"

#include <algorithm>
#include <cstring>

#include "errors/errors.h"

void QStrUpper(std::span<char> text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

void QStrLower(std::span<char> text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

int32_t QStrLength(std::string_view text) { return static_cast<int32_t>(SignificantLength(text)); }

namespace {

struct WordBounds {
    std::size_t first = 0;
    std::size_t end = 0;  // first == end: no word
};

// Only blanks separate words: a zero byte inside a text is part of its word
// (zero bytes count as padding only at the end).
WordBounds FindFirstWord(std::string_view text)
{
    const std::size_t n = SignificantLength(text);
    std::size_t i = 0;
    while (i < n && text[i] == ' ') ++i;
    std::size_t j = i;
    while (j < n && text[j] != ' ') ++j;
    return {i, j};
}

}  // namespace

void QStrFirstWord(std::span<char> text, std::span<char> word)
{
    WordBounds w = FindFirstWord(AsView(text));
    FillText(word, AsView(text).substr(w.first, w.end - w.first));
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(w.first), text.begin() + static_cast<std::ptrdiff_t>(w.end),
              ' ');
}

void QStrJustify(std::span<char> text, std::string_view code)
{
    const std::size_t length = text.size();
    const std::size_t n = SignificantLength(AsView(text));
    if (n == 0) return;
    std::size_t f = 0;  // first non-blank, counted from 0
    while (text[f] == ' ') ++f;
    const std::size_t s = n - f;
    if (s == length) return;

    std::size_t start;
    if (code == "L")
        start = 0;
    else if (code == "R")
        start = length - s;
    else
        start = (length - s) / 2;
    if (start == f) return;

    // The text moved within the field, blanks all around it.
    std::memmove(text.data() + start, text.data() + f, s);
    std::fill(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), ' ');
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(start + s), text.end(), ' ');
}

IntConversion ConvertToInt(std::string_view text)
{
    WordBounds w = FindFirstWord(text);
    if (w.first == w.end) return {0, 10};
    std::string_view word = text.substr(w.first, w.end - w.first);
    bool negative = false;
    if (word[0] == '-' || word[0] == '+') {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    if (!std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) return {0, 12};
    if (word.size() > 10 || (word.size() == 10 && word[0] > '2')) return {0, 4};
    int64_t total = 0;
    for (char c : word) {
        total = total * 10 + (c - '0');
        if (total > 2147483647) return {0, 4};
    }
    return {static_cast<int32_t>(negative ? -total : total), 0};
}

void QStrToInt(std::string_view text, int32_t& value)
{
    IntConversion converted = ConvertToInt(text);
    value = converted.value;
    if (converted.error != 0) RaiseError(converted.error);
}

namespace {

constexpr std::size_t kEditWorkLength = 110;
constexpr std::size_t kEditResultLength = 100;

struct IntegerEdit {
    int width = 0;
    int minDigits = -1;  // -1: no ".m"
};

bool ReadCount(std::string_view& s, int& count)
{
    std::size_t i = 0;
    count = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        count = count * 10 + (s[i] - '0');
        if (count > 1000) return false;
        ++i;
    }
    s.remove_prefix(i);
    return i > 0;
}

// "(Iw)" or "(Iw.m)", blanks allowed around the parts, I in either case.
bool ParseIntegerEdit(std::string_view format, IntegerEdit& edit)
{
    std::string f;
    for (char c : format)
        if (!IsPaddingChar(c)) f.push_back(c);
    std::string_view s = f;
    if (s.size() < 3 || s.front() != '(' || s.back() != ')') return false;
    s = s.substr(1, s.size() - 2);
    if (s.empty() || (s[0] != 'I' && s[0] != 'i')) return false;
    s.remove_prefix(1);
    if (!ReadCount(s, edit.width)) return false;
    if (!s.empty() && s[0] == '.') {
        s.remove_prefix(1);
        if (!ReadCount(s, edit.minDigits)) return false;
    }
    return s.empty() && edit.width <= static_cast<int>(kEditWorkLength);
}

}  // namespace

bool EditInteger(int32_t value, std::string_view format, std::string& out)
{
    IntegerEdit edit;
    if (!ParseIntegerEdit(format, edit)) return false;
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    std::string digits = std::to_string(magnitude);
    if (edit.minDigits >= 0) {
        if (magnitude == 0 && edit.minDigits == 0) digits.clear();  // Iw.0 writes zero as blanks
        if (static_cast<int>(digits.size()) < edit.minDigits)
            digits = std::string(static_cast<std::size_t>(edit.minDigits) - digits.size(), '0') + digits;
    }
    if (value < 0) digits = '-' + digits;
    if (edit.width == 0) {  // I0: as wide as the number needs
        out = digits.empty() ? std::string(1, ' ') : digits;
    } else if (static_cast<int>(digits.size()) > edit.width) {
        out.assign(static_cast<std::size_t>(edit.width), '*');
    } else {
        out.assign(static_cast<std::size_t>(edit.width) - digits.size(), ' ');
        out += digits;
    }
    return true;
}

void QStrFromInt(int32_t value, std::span<char> text, std::string_view format)
{
    std::string work;
    bool ok = EditInteger(value, format, work) && work.size() <= kEditWorkLength;
    if (ok && work.find('*') != std::string::npos && format.find('*') == std::string_view::npos) ok = false;
    if (!ok) {
        FillText(text, "**********");
        RaiseError(kErrorNumberToText);
        return;
    }
    work.resize(kEditWorkLength, ' ');
    FillText(text, std::string_view(work).substr(0, std::min(kEditResultLength, text.size())));
}
