#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "windows/field_info.h"

namespace {

using namespace std::string_view_literals;

struct Expected {
    FieldSection section;
    int32_t id;
    std::vector<double> values;
    std::vector<std::string> items;
};

void ExpectLines(std::string_view block, const std::vector<Expected>& expected)
{
    const std::vector<FieldInfoLine> lines = ParseFieldInfo(block);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "line " << i);
        EXPECT_EQ(lines[i].section, expected[i].section);
        EXPECT_EQ(lines[i].id, expected[i].id);
        EXPECT_EQ(lines[i].values, expected[i].values);
        EXPECT_EQ(lines[i].items, expected[i].items);
    }
}

// The blocks this program's dialogs carry, byte for byte as the resource script has them.
constexpr std::string_view kProgressBlock =
    "[Ranges]\n1003 0 100\n[Menus]\n[Checks]\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n[Lengths]\n\0"sv;
constexpr std::string_view kSystemPageBlock =
    "[Ranges]\n[Menus]\n[Checks]\n2006 1\n2012 1\n2013 1\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n[Lengths]\n\0"sv;

TEST(FieldInfo, ProgressDialogBlock)
{
    ExpectLines(kProgressBlock, {{FieldSection::Ranges, 1003, {0, 100}, {}}});
}

TEST(FieldInfo, SystemPageBlock)
{
    ExpectLines(kSystemPageBlock,
                {
                    {FieldSection::Checks, 2006, {1}, {}},
                    {FieldSection::Checks, 2012, {1}, {}},
                    {FieldSection::Checks, 2013, {1}, {}},
                });
}

TEST(FieldInfo, EmptyBlocks)
{
    for (std::string_view block :
         {""sv, "\0"sv, "\0[Checks]\n5 1\n"sv, "\n\n\n"sv,
          "[Ranges]\n[Menus]\n[Checks]\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n[Lengths]\n\0"sv})
        EXPECT_TRUE(ParseFieldInfo(block).empty()) << testing::PrintToString(std::string(block));
}

TEST(FieldInfo, EverySectionWithItsDataLine)
{
    struct Case {
        std::string_view block;
        Expected line;
    } cases[] = {
        {"[Ranges]\n1003 0 100\n", {FieldSection::Ranges, 1003, {0, 100}, {}}},
        {"[Ranges]\n7 -2.5 1e3\n", {FieldSection::Ranges, 7, {-2.5, 1000}, {}}},
        {"[Checks]\n2006 0\n", {FieldSection::Checks, 2006, {0}, {}}},
        {"[Colours]\n300 255 0 0 0 0 128\n", {FieldSection::Colours, 300, {255, 0, 0, 0, 0, 128}, {}}},
        {"[Trackbars]\n301 10 1 5 20 40\n", {FieldSection::Trackbars, 301, {10, 1, 5, 20, 40}, {}}},
        {"[Lengths]\n302 64\n", {FieldSection::Lengths, 302, {64}, {}}},
        {"[Menus]\n400 2 1\nFirst\nSecond\n", {FieldSection::Menus, 400, {2, 1}, {"First", "Second"}}},
        {"[Menus]\n401 0 0\n", {FieldSection::Menus, 401, {0, 0}, {}}},
        {"[Tabs]\n500 2 602\n601 General\n602 Advanced options\n",
         {FieldSection::Tabs, 500, {2, 602}, {"601 General", "602 Advanced options"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.block)));
        ExpectLines(c.block, {c.line});
    }
}

TEST(FieldInfo, DataLinesBeforeTheFirstSectionAreIgnored)
{
    ExpectLines("1003 0 100\n2006 1\n[Checks]\n2012 1\n", {{FieldSection::Checks, 2012, {1}, {}}});
}

TEST(FieldInfo, LeadingBlanksAreSkipped)
{
    ExpectLines("   [Ranges]\n    1003 0 100\n  [Checks]\n 2006   1\n",
                {
                    {FieldSection::Ranges, 1003, {0, 100}, {}},
                    {FieldSection::Checks, 2006, {1}, {}},
                });
}

TEST(FieldInfo, LineBeginningWithASectionNameStartsIt)
{
    // Whatever follows the name on its line does not matter.
    ExpectLines("[Checks]   \n1 1\n[Lengths] edit fields\n2 80\n",
                {
                    {FieldSection::Checks, 1, {1}, {}},
                    {FieldSection::Lengths, 2, {80}, {}},
                });
}

TEST(FieldInfo, CrLfLineEnds)
{
    ExpectLines("[Ranges]\r\n1003 0 100\r\n[Checks]\r\n2006 1\r\n2012 0\r\n\0"sv,
                {
                    {FieldSection::Ranges, 1003, {0, 100}, {}},
                    {FieldSection::Checks, 2006, {1}, {}},
                    {FieldSection::Checks, 2012, {0}, {}},
                });
    ExpectLines("[Menus]\r\n9 2 2\r\nRed  \r\nGreen\r\n", {{FieldSection::Menus, 9, {2, 2}, {"Red", "Green"}}});
}

TEST(FieldInfo, NulEndsTheBlock)
{
    ExpectLines("[Checks]\n2006 1\n\0002012 1\n[Lengths]\n5 10\n"sv, {{FieldSection::Checks, 2006, {1}, {}}});
    // Whatever the resource holds after the terminator is not read.
    std::string block(kSystemPageBlock);
    block += "[Checks]\n9999 1\n";
    ExpectLines(block,
                {
                    {FieldSection::Checks, 2006, {1}, {}},
                    {FieldSection::Checks, 2012, {1}, {}},
                    {FieldSection::Checks, 2013, {1}, {}},
                });
}

TEST(FieldInfo, MalformedDataLinesArePassedOver)
{
    struct Case {
        const char* what;
        std::string_view line;
    } cases[] = {
        {"word for id", "abc 1"},
        {"word for value", "2006 on"},
        {"value missing", "2006"},
        {"number glued to text", "2006 1x"},
        {"id glued to text", "20x6 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string block = "[Checks]\n2005 1\n";
        block += c.line;
        block += "\n2007 0\n";
        ExpectLines(block, {{FieldSection::Checks, 2005, {1}, {}}, {FieldSection::Checks, 2007, {0}, {}}});
    }
}

TEST(FieldInfo, TooFewValuesForTheSectionArePassedOver)
{
    struct Case {
        std::string_view section, line;
    } cases[] = {
        {"[Ranges]", "1003 0"},
        {"[Colours]", "300 255 0 0 0 0"},
        {"[Trackbars]", "301 10 1 5 20"},
        {"[Lengths]", "302"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section));
        std::string block(c.section);
        block += "\n";
        block += c.line;
        block += "\n[Checks]\n1 1\n";
        ExpectLines(block, {{FieldSection::Checks, 1, {1}, {}}});
    }
}

TEST(FieldInfo, GridsArePassedOver)
{
    ExpectLines("[Grids]\n700 3 4 10 10 20\n701 columns A B C\n[Checks]\n2006 1\n",
                {{FieldSection::Checks, 2006, {1}, {}}});
}

TEST(FieldInfo, MenuItemsLoseTrailingBlanksOnly)
{
    ExpectLines("[Menus]\n10 4 0\nplain\ntrailing   \ninner  blanks \n\n",
                {{FieldSection::Menus, 10, {4, 0}, {"plain", "trailing", "inner  blanks", ""}}});
}

TEST(FieldInfo, MenuItemsAreCutAt1024Characters)
{
    const std::string longItem(1030, 'x');
    const std::string exact(1024, 'y');
    const std::string padded = std::string(1000, 'z') + std::string(40, ' ');
    const std::string block = "[Menus]\n11 3 1\n" + longItem + "\n" + exact + "\n" + padded + "\n";
    ExpectLines(block, {{FieldSection::Menus, 11, {3, 1}, {std::string(1024, 'x'), exact, std::string(1000, 'z')}}});
}

TEST(FieldInfo, ItemLinesAreNeverDataOrSectionLines)
{
    // The n lines after a [Menus] or [Tabs] data line are item texts whatever they hold.
    // "14 0 0" after them is still a [Menus] line: the item "[Checks]" started no section.
    ExpectLines("[Menus]\n12 3 2\n[Checks]\n2006 1\n#\n14 0 0\n",
                {
                    {FieldSection::Menus, 12, {3, 2}, {"[Checks]", "2006 1", "#"}},
                    {FieldSection::Menus, 14, {0, 0}, {}},
                });
    ExpectLines("[Tabs]\n13 1 0\n[Ranges]\n1 1\n", {{FieldSection::Tabs, 13, {1, 0}, {"[Ranges]"}}});
}

TEST(FieldInfo, SeveralMenusInOneSection)
{
    ExpectLines("[Menus]\n20 2 1\nA\nB\n21 1 0\nC\n[Tabs]\n22 1 900\n900 Only\n",
                {
                    {FieldSection::Menus, 20, {2, 1}, {"A", "B"}},
                    {FieldSection::Menus, 21, {1, 0}, {"C"}},
                    {FieldSection::Tabs, 22, {1, 900}, {"900 Only"}},
                });
}

}  // namespace
