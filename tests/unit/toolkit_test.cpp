// Text fields, error messages, configuration and command line of the toolkit.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "errors/errors.h"
#include "startup/config.h"
#include "utilities/command_line.h"
#include "utilities/text.h"

namespace {

using namespace std::string_literals;

// op: U upper, L lower, N length, J justify by arg, W first word into an arg-wide field ("word|rest"),
// I to integer, F from integer text by format arg into a field as wide as the result. Error: QErrorInfo(1).
struct TextCase { char op; std::string text, arg, result; int32_t error = 0; };

std::string Apply(const TextCase& c)
{
    std::string text = c.text, field(c.op == 'W' ? std::stoul(c.arg) : c.result.size(), '#');
    int32_t value = 12345;
    switch (c.op) {
    case 'U': QStrUpper(text); return text;
    case 'L': QStrLower(text); return text;
    case 'N': return std::to_string(QStrLength(text));
    case 'J': QStrJustify(text, c.arg); return text;
    case 'W': QStrFirstWord(text, field); return field + '|' + text;
    case 'I': QStrToInt(text, value); return std::to_string(value);
    default: QStrFromInt(std::stoi(text), field, c.arg); return field;
    }
}

TEST(Text, Operations)
{
    const TextCase cases[] = {
        {'U', "abz AZ 09 {}\xe4", "", "ABZ AZ 09 {}\xe4"},
        {'L', "ABZ az 09 @[\xc4", "", "abz az 09 @[\xc4"},
        {'N', "AB \0 \0"s, "", "2"},
        {'N', "A\0B"s, "", "3"},
        {'W', "   mkdir  sub  ", "8", "mkdir   |          sub  "},
        {'W', "abcdefgh x", "4", "abcd|         x"},
        {'J', "   AB  ", "L", "AB     "},
        {'J', "   AB  ", "R", "     AB"},
        {'J', "   AB  ", "C", "  AB   "},
        {'J', "X      ", "C", "   X   "},
        {'J', "AB     ", "l", "  AB   "},  // only "L" and "R" name a side
        {'I', "-17", "", "-17"},
        {'I', "   007  ", "", "7"},
        {'I', "12 34", "", "12"},
        {'I', "2147483647", "", "2147483647"},
        {'I', "2147483648", "", "0", 4},
        {'I', "00000000001", "", "0", 4},  // eleven digits, whatever their value
        {'I', "1.5", "", "0", 12},
        {'I', "     ", "", "0", 10},
        {'F', "7", "(I2.2)", "07"},
        {'F', "5", "(I4.4)", "0005  "},
        {'F', "-7", "(I4.3)", "-007"},
        {'F', "0", "(I3.0)", "   "},
        {'F', "12", " ( i3 ) ", " 12"},
        {'F', "123", "(I2.2)", "****", 18},
        {'F', "12", "(F5.2)", "**********", 18},
        {'F', "12", "(I200)", "**********", 18},  // wider than the work field
        {'F', "5", "(I101)", std::string(120, ' ')},  // only a hundred characters are kept
        {'F', "-5", "(I100)", std::string(98, ' ') + "-5" + std::string(20, ' ')},
    };
    for (const TextCase& c : cases) {
        QErrorInfo(1);
        EXPECT_EQ(Apply(c), c.result) << c.op << " [" << c.text << "] " << c.arg;
        EXPECT_EQ(QErrorInfo(1), c.error) << c.op << " [" << c.text << "] " << c.arg;
    }
}

TEST(Errors, MessagesAndReportLines)
{
    for (auto [code, message] : std::initializer_list<std::pair<int32_t, std::string_view>>{
             {1, "Error opening file or device"},
             {27, "Incompatible or unsupported image file in QGrLoadImage"},
             {44, "Invalid X and/or Y range in QGrArea/QGrViewport/QGrReplayArea"},
             {1034, "External process timed out before completion"},
             {1040, "General problem initializing bitmap viewer"}})
        EXPECT_EQ(ErrorMessage(code), message) << code;
    for (int32_t code : {0, -1, 6, 9, 14, 17, 19, 26, 29, 33, 41, 45, 50, 65, 1000, 1041}) EXPECT_EQ(ErrorMessage(code), " ") << code;
    std::string field(64, '#');
    ErrorMessage(3, field);
    EXPECT_EQ(field, "Error closing file or device" + std::string(36, ' '));
    EXPECT_EQ(ReportLine(1007), "Error=1007:Unable to load dialog from resource" + std::string(27, ' '));
    EXPECT_EQ(ReportLine(6), "Error=   6:" + std::string(62, ' '));
    EXPECT_EQ(ReportLine(-5).substr(0, 11), "Error=  -5:");
    EXPECT_EQ(AbnormalExitText("Marrowfield version 2.20", 0), "Abnormal exit (code 0) :Marrowfield version 2.20");
    EXPECT_EQ(AbnormalExitText("boom   ", -1234), "Abnormal exit (code ****) :boom");
    EXPECT_EQ(AbnormalExitText(std::string(5000, 'm'), 1).size(), 24u + 4096u);
    RaiseFileError(1, 2);
    RaiseOsError(13, 3);
    EXPECT_EQ((std::array{QErrorInfo(1), QErrorInfo(1), QErrorInfo(2), QErrorInfo(2), QErrorInfo(3), QErrorInfo(7)}),
              (std::array{13, 0, 2, 0, 3, 0}));
    testing::internal::CaptureStdout();
    RaiseError(1008);  // silent
    SetErrorReportingMode(kReportStdout);
    RaiseError(1008);
    RaiseError(13);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error=1008:Unable to select specified dialog\nError=  13:Operating system command error in an OS routine\n");
    EXPECT_EQ(std::pair(ErrorReportingMode(), QErrorInfo(1)), std::pair(int32_t{kReportStdout}, 13));
    ResetErrorState();
}

// Every setting that differs from its default, as "name=value;".
std::string Changes(const ToolkitConfig& c)
{
    std::ostringstream s;
    if (c.errorReportingMode != 0) s << "debug=" << c.errorReportingMode << ';';
    if (c.generalUnit != 40 || c.plotOutputUnit != 41 || c.plotInputUnit != 42)
        s << "units=" << c.generalUnit << ',' << c.plotOutputUnit << ',' << c.plotInputUnit << ';';
    if (c.printerDriver != 28 || c.plotterDriver != 11) s << "drivers=" << c.printerDriver << ',' << c.plotterDriver << ';';
    if (c.initFileName.str() != "marrow.ini") s << "ini=" << c.initFileName.str() << ';';
    if (c.plotterFile.str() != "quorvant.plt") s << "plname=" << c.plotterFile.str() << ';';
    if (c.charsetFile.str() != "standard.chr") s << "charset=" << c.charsetFile.str() << ';';
    if (!c.charsetDir.blank()) s << "chardir=" << c.charsetDir.str() << ';';
    if (c.versionRequested) s << "version;";
    return s.str();
}

TEST(Config, DefaultsColoursAndIniLines)
{
    ToolkitConfig defaults;
    FinishConfig(defaults);
    EXPECT_EQ((std::tuple(defaults.pathSeparator, defaults.applicationName.str(), Changes(defaults))),
              (std::tuple('\\', "Marrowfield"s, ""s)));
    for (auto [planes, bits, colours, graduated] : {std::array{1, 1, 2, 2}, std::array{4, 1, 16, 8},
             std::array{1, 8, 256, 16}, std::array{1, 16, 65536, 256}, std::array{1, 32, 16777216, 256}}) {
        EXPECT_EQ(DisplayColoursFor(planes, bits), colours) << planes << 'x' << bits;
        EXPECT_EQ(GraduatedColoursFor(colours), graduated) << colours;
    }
    const std::string pad(150, ' ');
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"  \tdebug =\t4"}, "debug=4;"},  // tabs count as blanks
        {{"DEBUG = 5", "DEBUG = -1", "DBG = 4", "DEBUGGING = 4", "DEBUG 4", "=DEBUG 4", "DEBUG =   ", "VE = 1"}, ""},
        {{"DEBUG = 2", "DEBUG = 1"}, "debug=1;"},  // later lines win
        {{"LFNPLOTOUT = 50", "LFNGEN = 41"}, "units=41,50,42;"},  // 41 is free once plot output moved
        {{"LFNGEN = 41", "lfnploti = 40"}, ""},                      // units already taken
        {{"LFNPLOTI = 7 8"}, "units=40,41,7;"},                            // the first word converts
        {{"CHARDIR = C:\\FONTS"}, "chardir=C:\\FONTS\\;"},
        {{"PLNAME =   my plotter.plt  ", "charset=x.chr"}, "plname=my plotter.plt;charset=x.chr;"},
        {{"PRINTER = 37", "PLOTTER = 14"}, "drivers=37,14;"},
        {{"PRINTER = 5", "PRINTER = 0", "PRINTER = laser", "PLOTTER = 15"}, ""},
        {{"ver=x"}, "version;"},
        {{std::string(164, ' ') + "DEBUG=4"}, ""},  // "=" in column 170: nothing after it survives the cut
        {{std::string(162, ' ') + "DEBUG=4"}, "debug=4;"},
        {{pad + "PLNAME = " + std::string(40, 'x')}, "plname=" + std::string(11, 'x') + ';'},
    };
    for (const auto& [lines, changes] : cases) {
        ToolkitConfig config;
        for (const std::string& line : lines) ApplyIniLine(config, line);
        FinishConfig(config);
        EXPECT_EQ(Changes(config), changes) << lines[0];
    }
}

TEST(Config, EnvironmentAndFile)
{
    ToolkitConfig config;
    ApplyEnvironment(config, "other.ini", "D:\\CHR", "2abc");
    ApplyEnvironment(config, "   ", nullptr, "9");
    ApplyEnvironment(config, nullptr, nullptr, "x4");
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "marrow_config_test.ini";
    std::ofstream(path, std::ios::binary) << "; note\r\nPRINTER = 3\r\n" << std::string(300, 'x') << "\nPLOTTER=4\n\nver=1";
    EXPECT_TRUE(ReadIniFile(config, path.string().c_str()));
    FinishConfig(config);
    EXPECT_EQ(Changes(config), "debug=2;drivers=3,4;ini=other.ini;chardir=D:\\CHR\\;version;");
    std::filesystem::remove(path);
    EXPECT_FALSE(ReadIniFile(config, path.string().c_str()) || IniFileExists(path.string().c_str()));
}

TEST(CommandLine, BlankOrQuoteDelimitedWords)
{
    const std::pair<std::string, std::vector<std::string_view>> cases[] = {
        {"\"C:\\My Programs\\setup.exe\" one  two", {"C:\\My Programs\\setup.exe", "one", "two"}},
        {"p \"\" x\ty", {"p", "", "x", "y"}},
        {"p \"unclosed quote", {"p", "unclosed quote"}},
    };
    for (const auto& [line, words] : cases) EXPECT_EQ(CommandLineWords(line), words) << line;
}

}  // namespace
