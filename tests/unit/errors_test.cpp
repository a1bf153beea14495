#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "errors/errors.h"

namespace {

class ErrorStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetErrorState(); }
    void TearDown() override { ResetErrorState(); }
};

TEST(ErrorMessages, MatchTheTable)
{
    struct Case {
        int32_t code;
        std::string_view message;
    } cases[] = {
        {1, "Error opening file or device"},
        {13, "Operating system command error in an OS routine"},
        {18, "Numeric to string conversion error"},
        {44, "Invalid X and/or Y range in QGrArea/QGrViewport/QGrReplayArea"},
        {64, "Bit image transfer failed in QGrPrintImage"},
        {1001, "Invalid menu item"},
        {1007, "Unable to load dialog from resource"},
        {1034, "External process timed out before completion"},
        {1040, "General problem initializing bitmap viewer"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorMessage(c.code), c.message) << c.code;
}

TEST(ErrorMessages, CodesWithoutAMessageAreBlank)
{
    for (int32_t code : {0, -1, 6, 7, 8, 9, 14, 15, 17, 19, 26, 29, 30, 31, 32, 33, 35, 36, 37, 38, 39, 40, 41, 45,
                         47, 48, 50, 52, 56, 57, 59, 60, 61, 62, 65, 1000, 1041, 2000})
        EXPECT_EQ(ErrorMessage(code), " ") << code;
}

TEST(ErrorMessages, FillA62CharacterField)
{
    std::string field(62, '#');
    ErrorMessage(3, field);
    EXPECT_EQ(field, "Error closing file or device" + std::string(62 - 28, ' '));
}

TEST(ErrorReportLine, Layout)
{
    std::string line = ReportLine(1007);
    EXPECT_EQ(line.size(), 73u);
    EXPECT_EQ(line.substr(0, 46), "Error=1007:Unable to load dialog from resource");
    EXPECT_EQ(line.find_last_not_of(' '), 45u);
    EXPECT_EQ(ReportLine(13).substr(0, 11), "Error=  13:");
    EXPECT_EQ(ReportLine(6), "Error=   6:" + std::string(62, ' '));
    EXPECT_EQ(ReportLine(-5).substr(0, 11), "Error=  -5:");
}

TEST_F(ErrorStateTest, InfoReturnsAndResetsEachWord)
{
    RaiseFileError(1, 2);
    RaiseOsError(13, 3);
    EXPECT_EQ(QErrorInfo(1), 13);  // only the later code
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(QErrorInfo(2), 2);
    EXPECT_EQ(QErrorInfo(2), 0);
    EXPECT_EQ(QErrorInfo(3), 3);
    EXPECT_EQ(QErrorInfo(7), 0);
}

TEST_F(ErrorStateTest, SilentModeShowsNothing)
{
    testing::internal::CaptureStdout();
    RaiseError(1008);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(QErrorInfo(1), 1008);
}

TEST_F(ErrorStateTest, StandardOutputModeWritesTheLine)
{
    SetErrorReportingMode(kReportStdout);
    testing::internal::CaptureStdout();
    RaiseError(1008);
    RaiseError(13);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error=1008:Unable to select specified dialog\n"
              "Error=  13:Operating system command error in an OS routine\n");
    EXPECT_EQ(ErrorReportingMode(), kReportStdout);
    EXPECT_EQ(QErrorInfo(1), 13);
}

TEST(AbnormalExit, TextLayout)
{
    EXPECT_EQ(AbnormalExitText("Marrowfield version 2.20", 0), "Abnormal exit (code 0) :Marrowfield version 2.20");
    EXPECT_EQ(AbnormalExitText(" ", 0), "Abnormal exit (code 0) :");
    EXPECT_EQ(AbnormalExitText("boom   ", 1234), "Abnormal exit (code 1234) :boom");
    EXPECT_EQ(AbnormalExitText("x", -12), "Abnormal exit (code -12) :x");
    EXPECT_EQ(AbnormalExitText(std::string(5000, 'm'), 1).size(), 24u + 4096u);
}

}  // namespace
