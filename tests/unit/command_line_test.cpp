#include <gtest/gtest.h>

#include "utilities/command_line.h"

namespace {

TEST(CommandLine, SplitsIntoBlankOrQuoteDelimitedWords)
{
    struct Case {
        std::string line;
        std::vector<std::string> words;
    } cases[] = {
        {"setup.exe", {"setup.exe"}},
        {"\"C:\\My Programs\\setup.exe\" one  two", {"C:\\My Programs\\setup.exe", "one", "two"}},
        {"p \"two words\" three", {"p", "two words", "three"}},
        {"p \"unclosed quote", {"p", "unclosed quote"}},
        {"p \"\" x", {"p", "", "x"}},
        {"   ", {}},
        {"p\tq", {"p", "q"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> words = CommandLineWords(c.line);
        EXPECT_EQ(std::vector<std::string>(words.begin(), words.end()), c.words) << c.line;
    }
}

}  // namespace
