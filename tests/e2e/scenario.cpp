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

Medium::Medium(const std::string& name) : path_("G:\\" + name)
{
    robot::RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    CopyFileA(BuildProgram("setup.exe").c_str(), (path_ + "\\SETUP.EXE").c_str(), FALSE);
}

Medium::~Medium() { robot::RemoveTree(path_); }

std::string Medium::SourcePath(const std::string& file) const
{
    std::string directory = path_;
    for (char& c : directory) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return directory + "\\" + file;
}

void Medium::Write(const std::string& file, const std::string& bytes) const { robot::WriteFile(path_ + "\\" + file, bytes); }

void Medium::WriteScript(const std::vector<std::string>& lines) const
{
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    Write("INSTALL.LST", text);
}

robot::Process Medium::Start(const std::string& workingDirectory) const
{
    robot::StartOptions options;
    options.workingDirectory = workingDirectory;
    return robot::Process::Start('"' + path_ + "\\SETUP.EXE\"", options);
}

bool PressAndWaitGone(HWND dialog, int buttonId)
{
    if (!robot::Press(dialog, buttonId)) return false;
    return robot::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

HWND WaitForDialog(const robot::Process& process, const std::string& caption)
{
    return robot::WaitForWindow(process.id(), caption, "#32770");
}

int CountMessageBoxes(const robot::Process& process)
{
    int boxes = 0;
    for (HWND w : robot::TopWindows(process.id()))
        if (IsWindowVisible(w) && robot::ClassName(w) == "#32770" && GetDlgItem(w, 0xFFFF)) ++boxes;
    return boxes;
}

void KeepScreenshot(const std::string& name)
{
    CreateDirectoryA("shots", nullptr);
    EXPECT_TRUE(robot::SaveScreenshot("shots\\" + name + ".bmp")) << name;
}

}  // namespace scenario
