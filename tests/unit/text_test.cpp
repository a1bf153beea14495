#include <gtest/gtest.h>

#include <string>

#include "errors/errors.h"
#include "utilities/text.h"

namespace {

std::string Applied(void (*op)(std::span<char>), std::string text)
{
    op(text);
    return text;
}

TEST(TextCase, UpperAndLowerChangeOnlyLetters)
{
    EXPECT_EQ(Applied(QStrUpper, "abz AZ 09 {}\xe4"), "ABZ AZ 09 {}\xe4");
    EXPECT_EQ(Applied(QStrLower, "ABZ az 09 @[\xc4"), "abz az 09 @[\xc4");
}

TEST(TextLength, CountsUpToTheLastSignificantCharacter)
{
    struct Case {
        std::string text;
        int32_t length;
    } cases[] = {
        {"", 0},
        {"     ", 0},
        {std::string("\0\0\0", 3), 0},
        {std::string("AB\0\0", 4), 2},
        {std::string("AB \0 \0", 6), 2},
        {" A B  ", 4},
        {std::string("A\0B", 3), 3},
    };
    for (const Case& c : cases) EXPECT_EQ(QStrLength(c.text), c.length) << '[' << c.text << ']';
}

TEST(TextFirstWord, TakesTheWordOffTheText)
{
    struct Case {
        std::string text;
        std::size_t wordLength;
        std::string word;
        std::string rest;
    } cases[] = {
        {"copy a b", 6, "copy  ", "     a b"},
        {"   mkdir  sub  ", 8, "mkdir   ", "          sub  "},
        {"abcdefgh x", 4, "abcd", "         x"},  // cut to the word field
        {"      ", 3, "   ", "      "},           // no word: blank
        {"one", 5, "one  ", "   "},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        std::string word(c.wordLength, '#');
        QStrFirstWord(text, word);
        EXPECT_EQ(word, c.word) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(TextJustify, MovesTheSignificantPart)
{
    struct Case {
        std::string text;
        std::string code;
        std::string result;
    } cases[] = {
        {"   AB  ", "L", "AB     "},
        {"   AB  ", "R", "     AB"},
        {"   AB  ", "C", "  AB   "},
        {"   AB  ", " ", "  AB   "},
        {"AB     ", "R", "     AB"},
        {"  A  B ", "L", "A  B   "},  // inner blanks move unchanged
        {"ABCDEFG", "R", "ABCDEFG"},  // fills the field
        {"       ", "L", "       "},
        {"X      ", "C", "   X   "},
        {"AB     ", "l", "  AB   "},  // only "L" and "R" name a side
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        QStrJustify(text, c.code);
        EXPECT_EQ(text, c.result) << '[' << c.text << "] " << c.code;
    }
}

TEST(TextToInt, ConvertsTheFirstWord)
{
    struct Case {
        std::string text;
        int32_t value;
        int32_t error;
    } cases[] = {
        {"-17", -17, 0},
        {"+5", 5, 0},
        {"2147483647", 2147483647, 0},
        {"2147483648", 0, 4},
        {"-2147483648", 0, 4},
        {"99999999999", 0, 4},
        {"3000000000", 0, 4},
        {"00000000001", 0, 4},  // eleven digits, whatever their value
        {"1.5", 0, 12},
        {"12a", 0, 12},
        {"--1", 0, 12},
        {"", 0, 10},
        {"     ", 0, 10},
        {"12 34", 12, 0},
        {"   007  ", 7, 0},
        {"0", 0, 0},
    };
    for (const Case& c : cases) {
        QErrorInfo(1);
        int32_t value = 12345;
        QStrToInt(c.text, value);
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(QErrorInfo(1), c.error) << c.text;
    }
}

TEST(TextFromInt, WritesByIntegerEditFormats)
{
    struct Case {
        int32_t value;
        std::string format;
        std::size_t length;
        std::string text;
        int32_t error;
    } cases[] = {
        {7, "(I2.2)", 2, "07", 0},
        {1999, "(I4.4)", 4, "1999", 0},
        {5, "(I4.4)", 6, "0005  ", 0},
        {123, "(I2.2)", 12, "**********  ", 18},
        {123, "(I2.2)", 4, "****", 18},
        {42, "(I10)", 10, "        42", 0},
        {-42, "(I10)", 10, "       -42", 0},
        {-7, "(I4.3)", 4, "-007", 0},
        {-7, "(I3.3)", 10, "**********", 18},
        {2147483647, "(I10)", 10, "2147483647", 0},
        {0, "(I3)", 3, "  0", 0},
        {0, "(I3.0)", 3, "   ", 0},
        {12, "(i3)", 3, " 12", 0},
        {12, " ( I3 ) ", 3, " 12", 0},
        {12, "(F5.2)", 10, "**********", 18},
        {12, "I3", 10, "**********", 18},
        {12, "(I200)", 10, "**********", 18},  // wider than the work field
        {12, "(I3.)", 10, "**********", 18},
        {12, "", 10, "**********", 18},
    };
    for (const Case& c : cases) {
        QErrorInfo(1);
        std::string text(c.length, '#');
        QStrFromInt(c.value, text, c.format);
        EXPECT_EQ(text, c.text) << c.value << ' ' << c.format;
        EXPECT_EQ(QErrorInfo(1), c.error) << c.value << ' ' << c.format;
    }
}

TEST(TextFromInt, KeepsAtMostAHundredCharacters)
{
    std::string text(120, '#');
    QStrFromInt(5, text, "(I105)");
    EXPECT_EQ(text.substr(0, 100), std::string(100, ' '));  // the digit stands at 105
    EXPECT_EQ(text.substr(100), std::string(20, ' '));
    text.assign(120, '#');
    QStrFromInt(5, text, "(I100)");
    EXPECT_EQ(text[99], '5');
}

TEST(FixedTextField, CutsPadsAndTrims)
{
    FixedText<5> field("abcdefg");
    EXPECT_EQ(field.view(), "abcde");
    field.assign("ab");
    EXPECT_EQ(field.view(), "ab   ");
    EXPECT_EQ(field.length(), 2u);
    field.append("xyz1");
    EXPECT_EQ(field.view(), "abxyz");
    EXPECT_EQ(SignificantPart("  a b  "), "a b");
}

}  // namespace
