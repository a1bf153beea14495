// The install script, the pages and the directory page, as a customer meets them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "picture_writers.h"
#include "resource_ids.h"
#include "scenario.h"

namespace {

using robot::Pixel;
using scenario::Medium;

std::vector<std::string> ExampleScript(const std::string& defdest = "\\DEMO", const std::string& banner = "LOGO.BMP")
{
    return {
        "# demo script",
        "generalstart",
        "title Demo Setup",
        "message Demo Application",
        "message Version 1.0",
        "defdest " + defdest,
        "backgrnd 1",
        "font 7",
        "colour 255 255 0",
        "sfillcol 0 0 0",
        "efillcol 0 0 160",
        "diagstart init",
        "title Welcome",
        "message This program installs the demo application.",
        "banner " + banner,
        "diagstart direct",
        "title Installation Directory",
        "message Choose the directory for the demo application.",
        "diagstart finish",
        "title Finished",
        "message The demo application is installed.",
        "diagstart system",
        "title System Configuration",
        "message Select the changes to make to your system.",
        "filestart",
        "copy DEMO.EX_ DEMO.EXE",
        "mkdir DATA",
        "chdir DATA",
        "copy SAMPLE.DA_ SAMPLE.DAT",
        "chdir",
    };
}

// An orange upper half over a green lower half.
pictures::Indexed Logo()
{
    pictures::Indexed p;
    p.width = 256;
    p.height = 128;
    p.palette = {{255, 128, 0}, {0, 200, 0}};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.indices.push_back(y < p.height / 2 ? 0 : 1);
    return p;
}

void LayOutExample(const Medium& medium, const std::vector<std::string>& script)
{
    medium.WriteScript(script);
    medium.Write("DEMO.EX_", std::string(5000, 'x'));
    CreateDirectoryA((medium.path() + "\\DATA").c_str(), nullptr);
    medium.Write("DATA\\SAMPLE.DA_", std::string(300, 'y'));
    medium.Write("LOGO.BMP", pictures::Bmp(Logo(), 24));
}

struct Screen {
    RECT client;
    int height() const { return client.bottom - client.top; }
    int Row(double fromBottom) const { return client.top + static_cast<int>(std::floor((1 - fromBottom) * height() + 0.5)); }
};

Screen ClientOf(const robot::Process& setup)
{
    HWND root = robot::WaitForWindow(setup.id(), "Demo Setup", "MARROWFIELD");
    HWND client = root ? FindWindowExA(root, nullptr, "MARWCLIENT", nullptr) : nullptr;
    return {client ? robot::ClientScreenRectOf(client) : RECT{}};
}

class Pages : public ::testing::Test {
protected:
    void SetUp() override { CleanUp(); }
    void TearDown() override { CleanUp(); }
    static void CleanUp()
    {
        for (const char* d : {"C:\\DEMO", "C:\\LEVEL1", "C:\\EXISTING"}) robot::RemoveTree(d);
    }
};

TEST_F(Pages, TheExampleScriptThroughBothPages)
{
    Medium medium("example");
    LayOutExample(medium, ExampleScript());
    robot::Process setup = medium.Start();
    ASSERT_TRUE(setup.started());

    HWND initial = scenario::WaitForDialog(setup, "Welcome");
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(robot::ControlText(initial, IDC_PAGE_MESSAGE), "This program installs the demo application.");
    EXPECT_EQ(robot::ButtonLabels(initial), std::vector<std::string>{"OK"});
    const RECT page = robot::ScreenRectOf(initial);
    EXPECT_EQ(page.top, 768 / 5);
    EXPECT_NEAR(page.left, (1024 - (page.right - page.left)) / 2, 1);
    const Screen screen = ClientOf(setup);
    ASSERT_GT(screen.height(), 0);
    scenario::KeepScreenshot("page-initial");

    // The script's gradient (0,0,0) to (0,0,160), its yellow message, the logo.
    EXPECT_EQ(robot::ScreenPixel(1010, screen.client.top + 1), (Pixel{0, 0, 0}));
    EXPECT_EQ(robot::ScreenPixel(1010, screen.client.bottom - 1), (Pixel{0, 0, 159}));
    int yellow = 0;
    for (int y = screen.Row(0.95) - 10; y <= screen.Row(0.90) + 10; y += 2)
        for (int x = 31; x < 400; x += 3)
            if (robot::ScreenPixel(x, y) == (Pixel{255, 255, 0})) ++yellow;
    EXPECT_GT(yellow, 30);
    // 256 x 128 on 1024 x 768: x 0.375 to 0.625, y 0.1 to 0.1 + 1/6.
    const int top = screen.Row(0.1 + 128.0 / 768), bottom = screen.Row(0.1);
    EXPECT_EQ(robot::ScreenPixel(384, top), (Pixel{255, 128, 0}));
    EXPECT_EQ(robot::ScreenPixel(639, bottom - 1), (Pixel{0, 200, 0}));
    EXPECT_NE(robot::ScreenPixel(382, top + 2), (Pixel{255, 128, 0}));
    EXPECT_NE(robot::ScreenPixel(642, bottom - 2), (Pixel{0, 200, 0}));

    robot::Press(initial, IDOK);
    HWND directory = scenario::WaitForDialog(setup, "Installation Directory");
    ASSERT_NE(directory, nullptr);
    EXPECT_TRUE(robot::WaitUntil([&] { return !IsWindow(initial); }));  // removed once the next is up
    EXPECT_EQ(robot::ControlText(directory, IDC_PAGE_MESSAGE), "Choose the directory for the demo application.");
    EXPECT_EQ(robot::ControlText(directory, IDC_DIRECTORY_TEXT), "C:\\DEMO");
    EXPECT_EQ(robot::ButtonLabels(directory), (std::vector<std::string>{"Browse", "Continue", "Abort"}));
    EXPECT_EQ(robot::ScreenRectOf(directory).top, 768 / 5);
    scenario::KeepScreenshot("page-directory");

    robot::Press(directory, IDOK);
    robot::MessageBoxSeen create = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(create.box, nullptr);
    EXPECT_EQ(create.caption, "Create Directory?");
    EXPECT_EQ(create.text, "The specified directory does not exist\rDo you wish to create it?");
    robot::Press(create.box, IDYES);

    HWND finish = scenario::WaitForDialog(setup, "Finished");
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(robot::DirectoryExists("C:\\DEMO"));
    EXPECT_EQ(robot::ControlText(finish, IDC_PAGE_MESSAGE), "The demo application is installed.");
    const RECT finishRect = robot::ScreenRectOf(finish);
    EXPECT_NEAR(finishRect.top, (768 - (finishRect.bottom - finishRect.top)) / 2, 1);  // centred
    scenario::KeepScreenshot("page-finish");
    robot::Press(finish, IDOK);
    DWORD code = 1;
    ASSERT_TRUE(setup.WaitForExit(robot::kPatience, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(robot::FileExists("C:\\DEMO\\INSTALL.LOG"));
}

TEST_F(Pages, TheFinishPagesCloseBoxAborts)
{
    Medium medium("closebox");
    LayOutExample(medium, ExampleScript());
    robot::Process setup = medium.Start();
    HWND initial = scenario::WaitForDialog(setup, "Welcome");
    ASSERT_NE(initial, nullptr);
    robot::Press(initial, IDOK);
    HWND directory = scenario::WaitForDialog(setup, "Installation Directory");
    ASSERT_NE(directory, nullptr);
    robot::Press(directory, IDOK);
    robot::MessageBoxSeen create = robot::WaitForMessageBox(setup.id());
    ASSERT_EQ(create.caption, "Create Directory?");
    robot::Press(create.box, IDYES);
    HWND finish = scenario::WaitForDialog(setup, "Finished");
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(GetWindowLongA(finish, GWL_STYLE) & WS_SYSMENU);
    PostMessageA(finish, WM_SYSCOMMAND, SC_CLOSE, 0);
    robot::MessageBoxSeen aborted = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(aborted.box, nullptr);
    EXPECT_EQ(aborted.caption, "Installation Aborted");
    EXPECT_FALSE(IsWindow(finish));
    robot::Press(aborted.box, IDOK);
    ASSERT_TRUE(setup.WaitForExit());
}

TEST_F(Pages, EscapeOnTheInitialPageAborts)
{
    Medium medium("escape");
    LayOutExample(medium, ExampleScript());
    robot::Process setup = medium.Start();
    HWND initial = scenario::WaitForDialog(setup, "Welcome");
    ASSERT_NE(initial, nullptr);
    PostMessageA(GetDlgItem(initial, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    robot::MessageBoxSeen aborted = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(aborted.box, nullptr);
    EXPECT_EQ(aborted.caption, "Installation Aborted");
    EXPECT_EQ(aborted.text, "Installation Aborted");
    EXPECT_FALSE(IsWindow(initial));
    robot::Press(aborted.box, IDOK);
    ASSERT_TRUE(setup.WaitForExit());
    EXPECT_FALSE(robot::DirectoryExists("C:\\DEMO"));
    EXPECT_FALSE(robot::FileExists("C:\\DEMO\\INSTALL.LOG"));
}

// Starts setup.exe with the example script and defdest, and goes to the directory page.
HWND OpenDirectoryPage(const Medium& medium, robot::Process& setup, const std::string& defdest)
{
    LayOutExample(medium, ExampleScript(defdest));
    setup = medium.Start();
    HWND initial = scenario::WaitForDialog(setup, "Welcome");
    if (!initial) return nullptr;
    robot::Press(initial, IDOK);
    return scenario::WaitForDialog(setup, "Installation Directory");
}

TEST_F(Pages, ContinueChecksAndTheirMessages)
{
    CreateDirectoryA("C:\\EXISTING", nullptr);
    struct Case {
        std::string defdest;
        std::string caption;
        std::string text;
        std::vector<std::string> buttons;
        std::string defaultButton;
    } cases[] = {
        // The caption of one blank reaches Windows trimmed, as every toolkit text does.
        {"\\" + std::string(258, 'L'), "", "Directory name too long", {"OK"}, "OK"},
        {"\\a*b", "Rename",
         "A directory name cannot contain any of the following characters:\r\t/ : * ? \" < > |", {"OK"}, "OK"},
        {"\\EXISTING", "Overwrite Directory?", "The directory already exists. Would you\rlike to overwrite the contents?",
         {"&Yes", "&No"}, "&No"},
    };
    for (const Case& c : cases) {
        Medium medium("continue");
        robot::Process setup;
        HWND directory = OpenDirectoryPage(medium, setup, c.defdest);
        ASSERT_NE(directory, nullptr) << c.defdest;
        robot::Press(directory, IDOK);
        robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
        ASSERT_NE(box.box, nullptr) << c.defdest;
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(robot::ButtonLabels(box.box), c.buttons);
        HWND defaultButton = nullptr;
        for (HWND b = GetWindow(box.box, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT))
            if (robot::ClassName(b) == "Button" && (GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                defaultButton = b;
        EXPECT_EQ(defaultButton ? robot::WindowText(defaultButton) : "", c.defaultButton);
        // Answering OK or No leaves the page open, unchanged.
        robot::Press(box.box, c.buttons.size() == 1 ? IDOK : IDNO);
        ASSERT_TRUE(robot::WaitUntil([&] { return scenario::CountMessageBoxes(setup) == 0; }));
        EXPECT_TRUE(IsWindowVisible(directory));
        robot::Press(directory, IDCANCEL);  // Abort
        robot::MessageBoxSeen aborted = robot::WaitForMessageBox(setup.id());
        EXPECT_EQ(aborted.caption, "Installation Aborted");
        robot::Press(aborted.box, IDOK);
        ASSERT_TRUE(setup.WaitForExit());
    }
    EXPECT_EQ(robot::ReadFile("C:\\EXISTING\\INSTALL.LOG"), "");
}

TEST_F(Pages, CreatingAPathTwoLevelsDeepAndOverwriting)
{
    {
        Medium medium("create");
        robot::Process setup;
        HWND directory = OpenDirectoryPage(medium, setup, "D:\\LEVEL1\\LEVEL2");  // any drive names the first one
        ASSERT_NE(directory, nullptr);
        EXPECT_EQ(robot::ControlText(directory, IDC_DIRECTORY_TEXT), "C:\\LEVEL1\\LEVEL2");
        robot::Press(directory, IDOK);
        robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
        ASSERT_EQ(box.caption, "Create Directory?");
        EXPECT_EQ(robot::ButtonLabels(box.box), (std::vector<std::string>{"&Yes", "&No"}));
        robot::Press(box.box, IDYES);
        HWND finish = scenario::WaitForDialog(setup, "Finished");
        ASSERT_NE(finish, nullptr);
        EXPECT_TRUE(robot::DirectoryExists("C:\\LEVEL1\\LEVEL2"));
        robot::Press(finish, IDOK);
        ASSERT_TRUE(setup.WaitForExit());
    }
    {
        Medium medium("overwrite");
        robot::Process setup;
        HWND directory = OpenDirectoryPage(medium, setup, "\\LEVEL1");
        ASSERT_NE(directory, nullptr);
        robot::Press(directory, IDOK);
        robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
        ASSERT_EQ(box.caption, "Overwrite Directory?");
        robot::Press(box.box, IDYES);
        HWND finish = scenario::WaitForDialog(setup, "Finished");
        ASSERT_NE(finish, nullptr);
        robot::Press(finish, IDOK);
        ASSERT_TRUE(setup.WaitForExit());
    }
}

TEST_F(Pages, BrowsingToAnotherDirectory)
{
    CreateDirectoryA("C:\\EXISTING", nullptr);
    CreateDirectoryA("C:\\EXISTING\\Inner", nullptr);
    Medium medium("browse");
    robot::Process setup;
    HWND directory = OpenDirectoryPage(medium, setup, "\\EXISTING\\Missing\\Deeper");
    ASSERT_NE(directory, nullptr);

    struct Case {
        std::string typed;
        std::string shown;       // in field 2008 afterwards
        std::string complaint;   // message box text, if any
    } cases[] = {
        {"C:\\EXISTING\\Inner", "C:\\EXISTING\\Inner", ""},
        {"\\\\server\\share", "C:\\EXISTING\\Inner", "Directory name must be absolute and specify a drive letter."},
        {"C:\\Brand New", "C:\\Brand New", ""},  // a name that does not exist yet is taken as typed
    };
    bool first = true;
    for (const Case& c : cases) {
        robot::Press(directory, IDC_BROWSE);
        HWND browser = scenario::WaitForDialog(setup, "Select Installation Directory");
        ASSERT_NE(browser, nullptr) << c.typed;
        if (first) {
            // It starts in the deepest directory that exists.
            EXPECT_EQ(robot::ControlText(browser, 1001), "C:\\EXISTING");
            scenario::KeepScreenshot("directory-browser");
            first = false;
        }
        SendMessageA(GetDlgItem(browser, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed.c_str()));
        PostMessageA(browser, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(browser, 1001)), TRUE);
        robot::Press(browser, IDOK);
        if (!c.complaint.empty()) {
            robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
            ASSERT_NE(box.box, nullptr) << c.typed;
            EXPECT_EQ(box.caption, "Invalid Directory");
            EXPECT_EQ(box.text, c.complaint);
            robot::Press(box.box, IDOK);
        }
        ASSERT_TRUE(robot::WaitUntil([&] { return !IsWindow(browser); })) << c.typed;
        ASSERT_TRUE(robot::WaitUntil([&] { return scenario::CountMessageBoxes(setup) == 0; }));
        EXPECT_TRUE(robot::WaitUntil([&] { return robot::ControlText(directory, IDC_DIRECTORY_TEXT) == c.shown; }))
            << c.typed << " shows " << robot::ControlText(directory, IDC_DIRECTORY_TEXT);
    }
    robot::Press(directory, IDOK);
    robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
    ASSERT_EQ(box.caption, "Create Directory?");
    robot::Press(box.box, IDNO);
    ASSERT_TRUE(robot::WaitUntil([&] { return scenario::CountMessageBoxes(setup) == 0; }));
    robot::Press(directory, IDCANCEL);
    robot::MessageBoxSeen aborted = robot::WaitForMessageBox(setup.id());
    robot::Press(aborted.box, IDOK);
    ASSERT_TRUE(setup.WaitForExit());
    EXPECT_FALSE(robot::DirectoryExists("C:\\Brand New"));
}

TEST_F(Pages, ScriptFailuresShowNoPage)
{
    struct Case {
        std::string name;
        bool writeScript;
        std::string caption;
        std::string text;  // %s stands for the medium's directory as setup.exe sees it
    } cases[] = {
        {"noscript", false, "Abort", "install script not found"},
        {"nosource", true, "File Not Found", "Install file %sDATA\\SAMPLE.DA_ not found. Abort"},
    };
    for (const Case& c : cases) {
        Medium medium(c.name);
        if (c.writeScript) {
            LayOutExample(medium, ExampleScript());
            DeleteFileA((medium.path() + "\\DATA\\SAMPLE.DA_").c_str());
        }
        robot::Process setup = medium.Start();
        robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
        ASSERT_NE(box.box, nullptr) << c.name;
        std::string text = c.text;
        if (std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, medium.SourcePath(""));
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, text);
        int dialogs = 0;
        for (HWND w : robot::TopWindows(setup.id()))
            if (IsWindowVisible(w) && robot::ClassName(w) == "#32770") ++dialogs;
        EXPECT_EQ(dialogs, 1) << c.name;  // the box, no page
        robot::Press(box.box, IDOK);
        DWORD code = 1;
        ASSERT_TRUE(setup.WaitForExit(robot::kPatience, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(Pages, AMissingPictureIsReportedOncePerRedraw)
{
    Medium medium("nopicture");
    LayOutExample(medium, ExampleScript("\\DEMO", "NOPE.BMP"));
    robot::Process setup = medium.Start();
    const std::string text = "Cannot find file " + medium.SourcePath("NOPE.BMP") + " to display";
    for (int redraw = 0; redraw < 3; ++redraw) {
        robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
        ASSERT_NE(box.box, nullptr) << "redraw " << redraw;
        EXPECT_EQ(box.caption, "Load Error");
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(robot::ButtonLabels(box.box), std::vector<std::string>{"OK"});
        ASSERT_TRUE(scenario::PressAndWaitGone(box.box, IDOK));
        // Closing the box brings no new box by itself...
        EXPECT_FALSE(robot::WaitUntil([&] { return scenario::CountMessageBoxes(setup) > 0; }, std::chrono::milliseconds(1500)))
            << "redraw " << redraw;
        // ...a genuine redraw of the background does.
        HWND root = robot::WaitForWindow(setup.id(), "Demo Setup", "MARROWFIELD");
        ASSERT_NE(root, nullptr);
        RedrawWindow(FindWindowExA(root, nullptr, "MARWCLIENT", nullptr), nullptr, nullptr, RDW_INVALIDATE);
    }
    robot::MessageBoxSeen box = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(box.box, nullptr);
    ASSERT_TRUE(scenario::PressAndWaitGone(box.box, IDOK));
    HWND initial = scenario::WaitForDialog(setup, "Welcome");
    ASSERT_NE(initial, nullptr);
    PostMessageA(initial, WM_COMMAND, IDCANCEL, 0);  // Escape
    robot::MessageBoxSeen aborted = robot::WaitForMessageBox(setup.id());
    ASSERT_NE(aborted.box, nullptr);
    EXPECT_EQ(aborted.caption, "Installation Aborted");
    robot::Press(aborted.box, IDOK);
    ASSERT_TRUE(setup.WaitForExit());
}

}  // namespace
