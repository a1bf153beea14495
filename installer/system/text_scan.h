#pragma once
// Scanning of zero-terminated byte strings, as the Program Manager step
// splits the group list it receives. Bytes are compared exactly. Portable.

#include <cstddef>
#include <cstdint>

// Number of leading characters of text that occur in set.
std::size_t SpanOfSet(const char* text, const char* set);
// The first character of text that occurs in set, or null.
char* FindAnyOf(char* text, const char* set);
// Splits text destructively into tokens separated by delimiters. A null
// text continues after the previous token; null when no token is left.
char* NextToken(char* text, const char* delimiters);
// The last occurrence of c in text, the terminating zero byte included.
char* FindLastChar(char* text, char c);

// The application routine the toolkit calls back at a few points: nothing to do.
int32_t IgnoreHook(int32_t value);
