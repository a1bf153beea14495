#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "startup/config.h"

namespace {

ToolkitConfig ConfigFromLines(std::initializer_list<std::string_view> lines)
{
    ToolkitConfig config;
    for (std::string_view line : lines) ApplyIniLine(config, line);
    FinishConfig(config);
    return config;
}

TEST(ConfigDefaults, AsDocumented)
{
    ToolkitConfig config = ConfigFromLines({});
    EXPECT_EQ(config.pathSeparator, '\\');
    EXPECT_EQ(config.generalUnit, 40);
    EXPECT_EQ(config.plotOutputUnit, 41);
    EXPECT_EQ(config.plotInputUnit, 42);
    EXPECT_EQ(config.errorReportingMode, 0);
    EXPECT_EQ(config.applicationName.str(), "Marrowfield");
    EXPECT_EQ(config.initFileName.str(), "marrow.ini");
    EXPECT_EQ(config.plotterFile.str(), "quorvant.plt");
    EXPECT_EQ(config.charsetFile.str(), "standard.chr");
    EXPECT_TRUE(config.charsetDir.blank());
    EXPECT_EQ(config.printerDriver, 28);
    EXPECT_EQ(config.plotterDriver, 11);
    EXPECT_FALSE(config.versionRequested);
}

TEST(ConfigColours, FromTheDisplay)
{
    struct Case {
        int32_t planes, bits, colours, graduated;
    } cases[] = {
        {1, 1, 2, 2}, {1, 4, 16, 8}, {4, 1, 16, 8}, {1, 8, 256, 16},
        {1, 16, 65536, 256}, {1, 24, 16777216, 256}, {1, 32, 16777216, 256},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayColoursFor(c.planes, c.bits), c.colours) << c.planes << 'x' << c.bits;
        EXPECT_EQ(GraduatedColoursFor(c.colours), c.graduated) << c.colours;
    }
}

TEST(ConfigIniLines, KeysValuesAndTheirRules)
{
    EXPECT_EQ(ConfigFromLines({"   debug = 4"}).errorReportingMode, 4);
    EXPECT_EQ(ConfigFromLines({"\tDEBUG\t=\t3"}).errorReportingMode, 3);  // tabs count as blanks
    EXPECT_EQ(ConfigFromLines({"DBG = 4"}).errorReportingMode, 0);        // no such key
    EXPECT_EQ(ConfigFromLines({"DE = 4"}).errorReportingMode, 0);         // shorter than 3
    EXPECT_EQ(ConfigFromLines({"DEBUG = 5"}).errorReportingMode, 0);
    EXPECT_EQ(ConfigFromLines({"DEBUG = -1"}).errorReportingMode, 0);
    EXPECT_EQ(ConfigFromLines({"DEBUG = 2", "DEBUG = 1"}).errorReportingMode, 1);  // later lines win
    EXPECT_EQ(ConfigFromLines({"DEBUG 4"}).errorReportingMode, 0);                 // no "="
    EXPECT_EQ(ConfigFromLines({"=DEBUG 4"}).errorReportingMode, 0);
    EXPECT_EQ(ConfigFromLines({"DEBUG =   "}).errorReportingMode, 0);              // empty value
    EXPECT_EQ(ConfigFromLines({"DEBUGGING = 4"}).errorReportingMode, 0);           // DEBUGGIN

    ToolkitConfig units = ConfigFromLines({"LFNPLOTOUT = 50", "LFNGEN = 41"});
    EXPECT_EQ(units.plotOutputUnit, 50);
    EXPECT_EQ(units.generalUnit, 41);  // 41 is free once the plot output unit moved
    units = ConfigFromLines({"LFNGEN = 41"});
    EXPECT_EQ(units.generalUnit, 40);  // taken by plot output
    units = ConfigFromLines({"lfnploti = 40"});
    EXPECT_EQ(units.plotInputUnit, 42);
    units = ConfigFromLines({"LFNPLOTI = 7 8"});
    EXPECT_EQ(units.plotInputUnit, 7);  // the first word converts

    EXPECT_EQ(ConfigFromLines({"CHARDIR = C:\\FONTS"}).charsetDir.str(), "C:\\FONTS\\");
    EXPECT_EQ(ConfigFromLines({"CHARDIR = C:\\FONTS\\"}).charsetDir.str(), "C:\\FONTS\\");
    EXPECT_EQ(ConfigFromLines({"PLNAME =   my plotter.plt  "}).plotterFile.str(), "my plotter.plt");
    EXPECT_EQ(ConfigFromLines({"charset=x.chr"}).charsetFile.str(), "x.chr");
    EXPECT_EQ(ConfigFromLines({"PLNAME = " + std::string(200, 'p')}).plotterFile.length(), 160u - 0u);

    EXPECT_EQ(ConfigFromLines({"PRINTER = 12"}).printerDriver, 12);
    EXPECT_EQ(ConfigFromLines({"PRINTER = laser"}).printerDriver, 28);
    EXPECT_EQ(ConfigFromLines({"PRINTER = 99"}).printerDriver, 28);
    EXPECT_EQ(ConfigFromLines({"PRINTER = 37"}).printerDriver, 37);
    EXPECT_EQ(ConfigFromLines({"PRINTER = 5", "PRINTER = 0"}).printerDriver, 28);
    EXPECT_EQ(ConfigFromLines({"PLOTTER = 14"}).plotterDriver, 14);
    EXPECT_EQ(ConfigFromLines({"PLOTTER = 15"}).plotterDriver, 11);

    EXPECT_TRUE(ConfigFromLines({"VERSION = 1"}).versionRequested);
    EXPECT_TRUE(ConfigFromLines({"ver=x"}).versionRequested);
    EXPECT_FALSE(ConfigFromLines({"VE = 1"}).versionRequested);
}

TEST(ConfigIniLines, OnlyTheFirst170CharactersCount)
{
    // "=" in column 170: nothing after it survives the cut.
    std::string line = std::string(164, ' ') + "DEBUG=4";
    ASSERT_EQ(line.find('='), 169u);
    EXPECT_EQ(ConfigFromLines({line}).errorReportingMode, 0);
    std::string cut = std::string(150, ' ') + "PLNAME = " + std::string(40, 'x');
    EXPECT_EQ(ConfigFromLines({cut}).plotterFile.str(), std::string(170 - 159, 'x'));
    EXPECT_EQ(ConfigFromLines({std::string(162, ' ') + "DEBUG=4"}).errorReportingMode, 4);
}

TEST(ConfigEnvironment, Variables)
{
    ToolkitConfig config;
    ApplyEnvironment(config, "other.ini", "D:\\CHR", "2abc");
    FinishConfig(config);
    EXPECT_EQ(config.initFileName.str(), "other.ini");
    EXPECT_EQ(config.charsetDir.str(), "D:\\CHR\\");
    EXPECT_EQ(config.errorReportingMode, 2);

    ToolkitConfig unset;
    ApplyEnvironment(unset, "   ", nullptr, "9");
    EXPECT_EQ(unset.initFileName.str(), "marrow.ini");
    EXPECT_EQ(unset.errorReportingMode, 0);
    ApplyEnvironment(unset, nullptr, nullptr, "x4");
    EXPECT_EQ(unset.errorReportingMode, 0);
}

TEST(ConfigFile, ReadsEveryLineWhateverItsEnd)
{
    std::filesystem::path path = std::filesystem::temp_directory_path() / "marrow_config_test.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "; a comment\r\nPRINTER = 3\r\n" << std::string(300, 'x') << "\nPLOTTER=4\n\nDEBUG = 1";
    }
    ToolkitConfig config;
    ASSERT_TRUE(ReadIniFile(config, path.string().c_str()));
    FinishConfig(config);
    EXPECT_EQ(config.printerDriver, 3);
    EXPECT_EQ(config.plotterDriver, 4);
    EXPECT_EQ(config.errorReportingMode, 1);  // last line without a line end
    std::filesystem::remove(path);
    EXPECT_FALSE(ReadIniFile(config, path.string().c_str()));
    EXPECT_FALSE(IniFileExists(path.string().c_str()));
}

}  // namespace
