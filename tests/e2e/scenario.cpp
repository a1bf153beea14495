#include "scenario.h"

#include <gtest/gtest.h>

namespace scenario {

std::string BuildProgram(const std::string& relativePath)
{
    // The scenarios run in tests\e2e of the build tree.
    std::string directory = robot::ProgramDirectory();
    return directory.substr(0, directory.rfind("\\tests\\")) + "\\" + relativePath;
}

Started StartProbe(const std::string& arguments, const std::string& name)
{
    Started started;
    CreateDirectoryA("C:\\robot", nullptr);
    const std::string ready = "C:\\robot\\ready-" + name + ".txt";
    DeleteFileA(ready.c_str());
    robot::StartOptions options;
    options.environment = {{"MARROW_READY", ready}};
    started.outputFile = "C:\\robot\\output-" + name + ".txt";
    options.outputFile = started.outputFile;
    started.process = robot::Process::Start('"' + BuildProgram("tests\\win\\ui_probe.exe") + "\" " + arguments, options);
    if (!started.process.started()) {
        ADD_FAILURE() << "ui_probe did not start";
        return started;
    }
    if (!robot::WaitUntil([&] { return robot::FileExists(ready); })) {
        ADD_FAILURE() << "ui_probe " << arguments << " did not get ready";
        return started;
    }
    started.root = robot::WaitForWindow(started.process.id(), "Installation", "MARROWFIELD");
    if (started.root) {
        started.client = FindWindowExA(started.root, nullptr, "MARWCLIENT", nullptr);
        started.clientOnScreen = robot::ClientScreenRectOf(started.client);
    }
    EXPECT_NE(started.client, nullptr) << "no root window";
    return started;
}

void KeepScreenshot(const std::string& name)
{
    CreateDirectoryA("shots", nullptr);
    EXPECT_TRUE(robot::SaveScreenshot("shots\\" + name + ".bmp")) << name;
}

}  // namespace scenario
