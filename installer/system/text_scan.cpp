#include "system/text_scan.h"

namespace {

bool InSet(char c, const char* set)
{
    for (; *set != '\0'; ++set)
        if (*set == c) return true;
    return false;
}

// Where the tokenizer goes on: one position for the whole program.
char* g_nextTokenAt = nullptr;

}  // namespace

std::size_t SpanOfSet(const char* text, const char* set)
{
    std::size_t n = 0;
    while (text[n] != '\0' && InSet(text[n], set)) ++n;
    return n;
}

char* FindAnyOf(char* text, const char* set)
{
    for (; *text != '\0'; ++text)
        if (InSet(*text, set)) return text;
    return nullptr;
}

char* NextToken(char* text, const char* delimiters)
{
    if (text == nullptr) text = g_nextTokenAt;
    if (text == nullptr) return nullptr;
    text += SpanOfSet(text, delimiters);
    if (*text == '\0') {
        g_nextTokenAt = nullptr;
        return nullptr;
    }
    char* end = FindAnyOf(text, delimiters);
    if (end == nullptr) {
        g_nextTokenAt = nullptr;
    } else {
        *end = '\0';
        g_nextTokenAt = end + 1;
    }
    return text;
}

char* FindLastChar(char* text, char c)
{
    char* end = text;
    while (*end != '\0') ++end;
    for (char* p = end;; --p) {
        if (*p == c) return p;
        if (p == text) return nullptr;
    }
}

int32_t IgnoreHook(int32_t) { return 0; }
