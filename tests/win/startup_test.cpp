// Toolkit start-up and error reporting, each in a process of its own: the
// probe program starts the toolkit in a scratch directory with the
// environment and initialisation file of the case.
#include <windows.h>

#include <gtest/gtest.h>

#include "robot.h"

namespace {

using robot::StartOptions;

std::string Probe() { return '"' + robot::ProgramDirectory() + "\\toolkit_probe.exe\""; }

// The probe's environment: the toolkit's variables unset unless a case sets them.
StartOptions In(const robot::ScratchDirectory& dir, std::vector<std::pair<std::string, std::string>> environment = {})
{
    StartOptions options;
    options.workingDirectory = dir.path();
    options.environment = {{"MARWINIT", ""}, {"MARWDEBUG", ""}, {"QRVCHDIR", ""}};
    for (auto& variable : environment) options.environment.push_back(variable);
    return options;
}

std::string SystemDirectory()
{
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

std::string DefaultsWith(const std::string& mode, const std::string& plname = "quorvant.plt",
                         const std::string& chardir = "", const std::string& printer = "28",
                         const std::string& units = "40 41 42")
{
    return "screen=1024 768\n"
           "colours=16777216 256\n"
           "platform=0 0 1 6\n"
           "units=" + units + "\n"
           "mode=" + mode + "\n"
           "app=[Marrowfield]\n"
           "ini=[marrow.ini]\n"
           "plname=[" + plname + "]\n"
           "charset=[standard.chr]\n"
           "chardir=[" + chardir + "]\n"
           "sysdir=[" + SystemDirectory() + "]\n"
           "printer=" + printer + "\n"
           "plotter=11\n";
}

TEST(StartUp, DefaultsWithoutFileOrEnvironment)
{
    robot::ScratchDirectory dir("startup-defaults");
    robot::RunResult r = robot::Run(Probe() + " startup", In(dir));
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.output, DefaultsWith("0"));
}

TEST(StartUp, ReadsMarrowIniInTheWorkingDirectory)
{
    robot::ScratchDirectory dir("startup-ini");
    robot::WriteFile(dir / "marrow.ini",
                     "  debug = 1\r\nPLNAME = big.plt\r\n\tCHARDIR\t= C:\\FONTS\r\nPRINTER = laser\r\n"
                     "LFNPLOTOUT = 50\r\nLFNGEN = 41\r\nDBG = 4\r\nDE = 4\r\n");
    robot::RunResult r = robot::Run(Probe() + " startup", In(dir));
    EXPECT_EQ(r.output, DefaultsWith("1", "big.plt", "C:\\FONTS\\", "28", "41 50 42"));
}

TEST(StartUp, NamedFileEnvironmentAndSecondCall)
{
    robot::ScratchDirectory dir("startup-named");
    robot::WriteFile(dir / "marrow.ini", "PRINTER = 3\n");
    robot::WriteFile(dir / "other.ini", "PRINTER = 4\n");
    robot::WriteFile(dir / "mine.ini", "PRINTER = 5\n");

    // MARWINIT names the file; QRVCHDIR gives the directory its backslash.
    robot::RunResult r = robot::Run(Probe() + " startup", In(dir, {{"MARWINIT", "other.ini"}, {"QRVCHDIR", "D:\\CHR"}}));
    std::string expected = DefaultsWith("0", "quorvant.plt", "D:\\CHR\\", "4");
    expected.replace(expected.find("ini=[marrow.ini]"), 16, "ini=[other.ini]");
    EXPECT_EQ(r.output, expected);

    // A file named in the call comes first; a second call changes nothing.
    r = robot::Run(Probe() + " startup mine.ini other.ini", In(dir));
    EXPECT_EQ(r.output, DefaultsWith("0", "quorvant.plt", "", "5"));

    // A named file that does not exist falls back to the standard one.
    r = robot::Run(Probe() + " startup nosuch.ini", In(dir));
    EXPECT_EQ(r.output, DefaultsWith("0", "quorvant.plt", "", "3"));
}

TEST(StartUp, DebugVariableSelectsTheReportingMode)
{
    robot::ScratchDirectory dir("startup-debug");
    // Mode 1: standard output.
    robot::RunResult r = robot::Run(Probe() + " raise 1007", In(dir, {{"MARWDEBUG", "1"}}));
    EXPECT_EQ(r.output, "Error=1007:Unable to load dialog from resource\ncontinued, code 1007\n");

    // Mode 2: the debug file, CR LF lines; nothing on standard output.
    r = robot::Run(Probe() + " raise 13", In(dir, {{"MARWDEBUG", "2"}}));
    EXPECT_EQ(r.output, "continued, code 13\n");
    EXPECT_EQ(robot::ReadFile(dir / "debug"), "Error=  13:Operating system command error in an OS routine\r\n");

    // Without a usable "debug", the next name is taken.
    DeleteFileA((dir / "debug").c_str());
    CreateDirectoryA((dir / "debug").c_str(), nullptr);
    r = robot::Run(Probe() + " raise 1008", In(dir, {{"MARWDEBUG", "2"}}));
    EXPECT_EQ(robot::ReadFile(dir / "debug.txt"), "Error=1008:Unable to select specified dialog\r\n");

    // Anything but 0 to 4 leaves the toolkit silent; the file's DEBUG key wins.
    r = robot::Run(Probe() + " raise 12", In(dir, {{"MARWDEBUG", "7"}}));
    EXPECT_EQ(r.output, "continued, code 12\n");
    robot::WriteFile(dir / "marrow.ini", "DEBUG = 1\n");
    r = robot::Run(Probe() + " raise 12", In(dir, {{"MARWDEBUG", "2"}}));
    EXPECT_EQ(r.output, "Error=  12:Invalid character detected\ncontinued, code 12\n");
}

TEST(StartUp, VersionKeyEndsTheProgramWithTheVersion)
{
    robot::ScratchDirectory dir("startup-version");
    robot::WriteFile(dir / "marrow.ini", "PRINTER = 3\nVERSION = please\n");
    StartOptions options = In(dir);
    options.outputFile = dir / "out.txt";
    robot::Process p = robot::Process::Start(Probe() + " startup", options);
    ASSERT_TRUE(p.started());
    robot::MessageBoxSeen box = robot::WaitForMessageBox(p.id());
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.caption, "Marrowfield");
    EXPECT_EQ(box.text, "Abnormal exit (code 0) :Marrowfield version 2.20");
    EXPECT_EQ(robot::ButtonLabels(box.box), std::vector<std::string>{"OK"});
    robot::Press(box.box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(p.WaitForExit(robot::kPatience, &code));
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(robot::ReadFile(dir / "out.txt"), "");  // ended before anything else
}

TEST(StartUp, LibraryErrorBoxOkGoesOnCancelEnds)
{
    robot::ScratchDirectory dir("startup-box");
    StartOptions options = In(dir, {{"MARWDEBUG", "4"}});
    options.outputFile = dir / "ok.txt";
    {
        robot::Process p = robot::Process::Start(Probe() + " raise 1008", options);
        robot::MessageBoxSeen box = robot::WaitForMessageBox(p.id());
        ASSERT_NE(box.box, nullptr);
        EXPECT_EQ(box.caption, "Library Error");
        EXPECT_EQ(box.text, "Error=1008:Unable to select specified dialog");
        EXPECT_EQ(robot::ButtonLabels(box.box), (std::vector<std::string>{"OK", "Cancel"}));
        robot::Press(box.box, IDOK);
        ASSERT_TRUE(p.WaitForExit());
        EXPECT_EQ(robot::ReadFile(dir / "ok.txt"), "continued, code 1008\r\n");
    }
    options.outputFile = dir / "cancel.txt";
    {
        robot::Process p = robot::Process::Start(Probe() + " raise 1008", options);
        robot::MessageBoxSeen box = robot::WaitForMessageBox(p.id());
        ASSERT_NE(box.box, nullptr);
        robot::Press(box.box, IDCANCEL);
        robot::MessageBoxSeen ending;
        ASSERT_TRUE(robot::WaitUntil([&] {
            ending = robot::WaitForMessageBox(p.id(), std::chrono::milliseconds(100));
            return ending.box && ending.box != box.box;
        }));
        EXPECT_EQ(ending.caption, "Marrowfield");
        EXPECT_EQ(ending.text, "Abnormal exit (code 0) :");
        robot::Press(ending.box, IDOK);
        ASSERT_TRUE(p.WaitForExit());
        EXPECT_EQ(robot::ReadFile(dir / "cancel.txt"), "");
    }
}

}  // namespace
