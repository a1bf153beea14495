#pragma once
// Fixed-length, blank-padded text fields: every text the program keeps has a
// designed length; longer values are cut, shorter ones padded with blanks.
// Portable: no Windows headers here.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <string>
#include <string_view>

// Blanks and zero bytes both count as padding: Windows writes texts back
// followed by a zero byte and whatever was in the buffer before.
constexpr bool IsPaddingChar(char c) { return c == ' ' || c == '\0'; }

// Position of the last character that is neither a blank nor a zero byte.
constexpr std::size_t SignificantLength(std::string_view text)
{
    std::size_t n = text.size();
    // Fields are mostly padding: eight characters at a time while all eight are blanks or zero bytes (the only
    // two characters with no bit but 0x20).
    if (!std::is_constant_evaluated()) {
        for (uint64_t eight = 0; n >= 8; n -= 8) {
            std::memcpy(&eight, text.data() + n - 8, 8);
            if ((eight & ~uint64_t{0x2020202020202020}) != 0) break;
        }
    }
    while (n > 0 && IsPaddingChar(text[n - 1])) --n;
    return n;
}

constexpr std::string_view TrimmedText(std::string_view text) { return text.substr(0, SignificantLength(text)); }

// The text from its first to its last non-blank character.
constexpr std::string_view SignificantPart(std::string_view text)
{
    text = TrimmedText(text);
    std::size_t first = 0;
    while (first < text.size() && IsPaddingChar(text[first])) ++first;
    return text.substr(first);
}

// Writes value into field, cut to the field's length and blank-padded.
inline void FillText(std::span<char> field, std::string_view value)
{
    std::size_t n = std::min(field.size(), value.size());
    std::copy_n(value.begin(), n, field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end(), ' ');
}

inline std::string_view AsView(std::span<const char> text) { return {text.data(), text.size()}; }

template <std::size_t N>
class FixedText {
public:
    static constexpr std::size_t capacity = N;

    FixedText() { chars_.fill(' '); }
    FixedText(std::string_view value) { assign(value); }  // NOLINT: fields are assigned from texts freely

    void assign(std::string_view value) { FillText(chars_, value); }
    void clear() { chars_.fill(' '); }

    // Appends to the trimmed text; what does not fit is cut.
    void append(std::string_view value)
    {
        std::size_t at = length();
        std::size_t n = std::min(N - at, value.size());
        std::copy_n(value.begin(), n, chars_.begin() + static_cast<std::ptrdiff_t>(at));
    }

    std::size_t length() const { return SignificantLength(view()); }
    bool blank() const { return length() == 0; }
    std::string_view view() const { return {chars_.data(), N}; }
    std::string_view trimmed() const { return TrimmedText(view()); }
    std::string str() const { return std::string(trimmed()); }

    std::span<char> span() { return chars_; }
    operator std::span<char>() { return chars_; }         // NOLINT: passed as an in/out text
    operator std::string_view() const { return view(); }  // NOLINT: passed as an input text

    char& operator[](std::size_t i) { return chars_[i]; }
    char operator[](std::size_t i) const { return chars_[i]; }
    char* data() { return chars_.data(); }
    const char* data() const { return chars_.data(); }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.chars_ == b.chars_; }

private:
    std::array<char, N> chars_;
};
