#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

#include "windows/field_info.h"

namespace {

using namespace std::string_literals;

// The parsed lines as "section id values |item |item;" for each line.
std::string Parsed(std::string_view block)
{
    static constexpr const char* kNames[] = {"Ranges", "Menus", "Checks", "Tabs", "Grids", "Colours", "Trackbars",
                                             "Lengths"};
    std::ostringstream out;
    for (const FieldInfoLine& line : ParseFieldInfo(block)) {
        out << kNames[static_cast<int>(line.section)] << ' ' << line.id;
        for (double v : line.values) out << ' ' << v;
        for (const std::string& item : line.items) out << " |" << item;
        out << ';';
    }
    return out.str();
}

TEST(FieldInfo, ParsingRules)
{
    struct Case { std::string block, parsed; } cases[] = {
        // Progress dialog 104 and system page 206, byte for byte as the resource script has them.
        {"[Ranges]\n1003 0 100\n[Menus]\n[Checks]\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n[Lengths]\n\0"s,
         "Ranges 1003 0 100;"},
        {"[Ranges]\n[Menus]\n[Checks]\n2006 1\n2012 1\n2013 1\n[Tabs]\n[Grids]\n[Colours]\n[Trackbars]\n"
         "[Lengths]\n\0"s,
         "Checks 2006 1;Checks 2012 1;Checks 2013 1;"},
        {"", ""}, {"\0[Checks]\n5 1\n"s, ""}, {"[Checks]\n2006 1\n\0\n2012 1\n"s, "Checks 2006 1;"},
        {"1003 0 100\n2006 1\n[Checks]\n2012 1\n", "Checks 2012 1;"},  // data before the first section
        {"   [Ranges]\n    1003 0 100\n\t[Checks]\n 2006   1\n", "Ranges 1003 0 100;Checks 2006 1;"},
        {"[Checks]   \n1 1\n[Lengths] edit fields\n2 80\n", "Checks 1 1;Lengths 2 80;"},
        {"[Ranges]\r\n1003 0 100\r\n[Menus]\r\n9 2 2\r\nRed  \r\nGreen\r\n",
         "Ranges 1003 0 100;Menus 9 2 2 |Red |Green;"},
        {"[Ranges]\n7 -2.5 1e3\n[Colours]\n300 255 0 0 0 0 128\n[Trackbars]\n301 10 1 5 20 40\n[Lengths]\n302 64\n",
         "Ranges 7 -2.5 1000;Colours 300 255 0 0 0 0 128;Trackbars 301 10 1 5 20 40;Lengths 302 64;"},
        {"[Menus]\n400 2 1\nFirst\nSecond\n401 0 0\n[Tabs]\n500 2 602\n601 General\n602 Advanced options\n",
         "Menus 400 2 1 |First |Second;Menus 401 0 0;Tabs 500 2 602 |601 General |602 Advanced options;"},
        {"[Checks]\n2005 1\nabc 1\n2006 on\n2006\n2006 1x\n20x6 1\n2007 0\n", "Checks 2005 1;Checks 2007 0;"},
        {"[Ranges]\n1 0\n[Colours]\n2 255 0 0 0 0\n[Trackbars]\n3 10 1 5 20\n[Lengths]\n4\n[Grids]\n5 3 4 10\n", ""},
        // The n lines after a [Menus] or [Tabs] data line are items whatever they hold.
        {"[Menus]\n12 3 2\n[Checks]\n2006 1\n#\n14 0 0\n[Tabs]\n13 1 0\n[Checks]\n1 1\n",
         "Menus 12 3 2 |[Checks] |2006 1 |#;Menus 14 0 0;Tabs 13 1 0 |[Checks];"},
        {"[Menus]\n10 3 0\ntrailing   \ninner  blanks \n\n", "Menus 10 3 0 |trailing |inner  blanks |;"},
        {"[Menus]\n11 2 1\n" + std::string(1030, 'x') + "\n" + std::string(1000, 'z') + std::string(40, ' ') + "\n",
         "Menus 11 2 1 |" + std::string(1024, 'x') + " |" + std::string(1000, 'z') + ";"},
    };
    for (const Case& c : cases) EXPECT_EQ(Parsed(c.block), c.parsed) << testing::PrintToString(c.block.substr(0, 50));
}

}  // namespace
