// The Win32 side of the toolkit and the installer, in this process under
// Wine. Dialogs and message boxes are answered from a second thread, as a
// person would. Started as "toolkit_win_tests probe ...", this program is also the
// probe for what happens once per process (start-up, a box that ends the
// run) or depends on the Windows version Wine reports for a file name.
// Test bed drives: C: and Y: fixed, D: floppy, F: network, G: CD-ROM, H: RAM disk.
#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics.h"
#include "lz_compress.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/config.h"
#include "startup/startup.h"
#include "system/file_helpers.h"
#include "system/system_steps.h"
#include "ui/background.h"
#include "utilities/files.h"
#include "utilities/later_calls.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"
#include "windows/dialogs.h"
#include "windows/directory_browser.h"
#include "windows/events.h"
#include "windows/message_box.h"
#include "windows/root_state.h"
#include "windows/root_window.h"
#include "windows/toolkit_ids.h"

namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using Operation = std::function<void()>;

DWORD Self() { return GetCurrentProcessId(); }
HWND Root() { return TheRootState().window; }
std::string Me() { return robot::ProgramDirectory() + "\\toolkit_win_tests.exe"; }

// The error words an operation leaves, from a cleared error state: the code
// (0: none raised), the file detail and the Windows error of an OS routine.
#define ERRORS(...) ErrorsOf([&] { __VA_ARGS__; })
#define CODE(...) ErrorsOf([&] { __VA_ARGS__; })[0]
std::array<int32_t, 3> ErrorsOf(const Operation& operation)
{
    for (int item : {1, 2, 3}) QErrorInfo(item);
    operation();
    return {QErrorInfo(1), QErrorInfo(2), QErrorInfo(3)};
}

// The visible top-level dialog of this process that holds that control.
HWND DialogWith(int control, HWND found = nullptr)
{
    robot::WaitUntil([&] {
        for (HWND w : robot::TopWindows(Self())) found = IsWindowVisible(w) && GetDlgItem(w, control) ? w : found;
        return found != nullptr;
    }, 10s);
    return found;
}

struct Box { std::string caption, text, defaultLabel; Strings labels; HWND owner = nullptr; int enabled = 0; int32_t event = 0; };

// Answers the next message box of this process with the button labelled `press`.
Box AnswerBox(const std::string& press)
{
    const robot::MessageBoxSeen seen = robot::WaitForMessageBox(Self(), 10s);
    Box box{seen.caption, seen.text, "", robot::ButtonLabels(seen.box), GetWindow(seen.box, GW_OWNER)};
    for (HWND w : robot::TopWindows(Self())) box.enabled += w != seen.box && IsWindowVisible(w) && IsWindowEnabled(w);
    // Windows has what a box covered redrawn when it goes (Wine keeps it): so does the person, for the box's owner to drop.
    if (HWND client = TheRootState().client) InvalidateRect(client, nullptr, FALSE);
    int id = 0;
    for (HWND c = GetWindow(seen.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) box.defaultLabel = robot::WindowText(c);
        if (robot::ClassName(c) == "Button" && robot::WindowText(c) == press) id = GetDlgCtrlID(c);
    }
    robot::Press(seen.box, id);
    robot::WaitUntil([&] { return !IsWindow(seen.box); }, 10s);
    return box;
}

EventRecord record{};  // of the last event read

// Runs an operation while a person answers the box it asks; the type of the event pending afterwards (-1: none).
Box Asked(const std::string& press, const Operation& operation)
{
    Box seen;
    std::thread person([&] { seen = AnswerBox(press); });
    operation(), person.join();
    return QEventPeek(seen.event, record), seen;
}

// ---- Root window, dialogs, events and message boxes -------------------------

class Windows : public ::testing::Test {
protected:
    void SetUp() override { OpenInstallerRootWindow(), Drain(); }
    void TearDown() override { QRootClose(); }
    static void Drain() { for (int32_t type = 0; type != kEventNone;) QEventPeek(type, record); }
};

TEST_F(Windows, RootWindowAsTheInstallerOpensItAndWithAStatusBar)
{
    const LONG style = GetWindowLongA(Root(), GWL_STYLE);
    EXPECT_TRUE(IsZoomed(Root()) && (style & WS_CAPTION) && !(style & (WS_THICKFRAME | WS_SYSMENU)));
    QRootTitle("Demo Product Setup" + std::string(100, 'x'));
    EXPECT_EQ(robot::WindowText(Root()), "Demo Product Setup" + std::string(80 - 18, 'x'));
    QGrCharOut(0.5f, 0.5f, "text");  // drawing leaves the surface's modes as it found them
    EXPECT_EQ((std::pair{GetBkMode(TheRootState().store.dc()), GetTextAlign(TheRootState().store.dc())}), (std::pair{OPAQUE, 0u}));
    // Minimised and back, it shows what was painted before the program paints again.
    auto pixel = [] { HDC dc = GetDC(TheRootState().client); const COLORREF c = GetPixel(dc, 99, 99); return ReleaseDC(TheRootState().client, dc), c; };
    const COLORREF painted = (PaintBackground(1), pixel());
    ShowWindow(Root(), SW_MINIMIZE), ShowWindow(Root(), SW_SHOWMAXIMIZED), UpdateWindow(TheRootState().client);
    EXPECT_EQ(std::pair(pixel(), painted == RGB(255, 255, 255)), std::pair(painted, false));
    QRootClose();
    RootSettings settings;
    settings.flags = kRootStatusBar;
    QRootOpen(settings, 128);
    SetErrorReportingMode(kReportStatusBar), QDlgSelect(4242), SetErrorReportingMode(kReportSilent);
    char text[128] = {};
    SendDlgItemMessageA(Root(), 999, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Error=1008:Unable to select specified dialog");
}

TEST_F(Windows, DialogOperationsAndTheirErrorsAndTheTableOfFifty)
{
    int32_t state = -1;
    const struct { const char* what; Operation operation; int32_t code; } cases[] = {
        {"unload, none", [] { QDlgUnload(0); }, 1005}, {"select missing", [] { QDlgSelect(202); }, 1008},
        {"load missing", [] { QDlgLoad(7777); }, 1007}, {"load", [] { QDlgLoad(IDD_PROGRESS); }, 0},
        {"range", [] { QDlgRange(IDC_PROGRESS_BAR, 0, 65535); }, 0}, {"range 65536", [] { QDlgRange(IDC_PROGRESS_BAR, 0, 65536); }, 1013},
        {"range empty", [] { QDlgRange(IDC_PROGRESS_BAR, 7, 7); }, 1013}, {"range of a button", [] { QDlgRange(IDCANCEL, 0, 10); }, 1006},
        {"a child dialog is modeless", [] { QDlgShow(-1, 5000, 0, kDialogSemiModal); }, 1014}, {"load second", [] { QDlgLoad(IDD_SYSTEM_PAGE); }, 0},
        {"check 2", [] { QDlgPutCheck(IDC_ADD_VARIABLES, 2); }, 1009},
    };
    for (const auto& c : cases) EXPECT_EQ(CODE(c.operation()), c.code) << c.what;
    // The system page's boxes are ticked by its field-information block.
    for (int32_t box : {IDC_ADD_SHORTCUTS, IDC_ADD_VARIABLES, IDC_ASSOCIATE_TYPES}) EXPECT_EQ((QDlgGetCheck(box, state = -1), state), 1) << box;
    QDlgUnload(0), QDlgSelect(IDD_PROGRESS), QDlgUnload(0);
    // The rich-edit library comes with the first dialog that needs it.
    const int32_t richEdit = CODE(QDlgLoad(5100));
    EXPECT_EQ(std::pair(richEdit, GetModuleHandleA("riched32.dll") != nullptr), std::pair(0, true));
    QDlgUnload(0);
    for (int32_t id = 5000; id < 5050; ++id) EXPECT_EQ(CODE(QDlgLoad(id)), 0) << id;
    EXPECT_EQ(CODE(QDlgLoad(5050)), 1007);
}

TEST_F(Windows, EventsFromButtonsKeysAndRedrawsAndModalDialogs)
{
    int32_t type = 0;
    QDlgLoad(IDD_INITIAL_PAGE), QDlgShow(-1, -1, IDOK, kDialogModeless);
    HWND ok = GetDlgItem(DialogWith(IDOK), IDOK);
    Drain();
    // A click, then Escape: the cancel command, even on a page without a Cancel button.
    for (auto [message, key, button] : {std::tuple{BM_CLICK, 0, IDOK}, {WM_KEYDOWN, VK_ESCAPE, IDCANCEL}}) {
        PostMessageA(ok, message, key, 0);
        robot::WaitUntil([&] { return QEventPeek(type, record), type != kEventNone; }, 5s);
        EXPECT_EQ((std::array{type, record[0], record[1]}), (std::array<int32_t, 3>{kEventButton, IDD_INITIAL_PAGE, button}));
    }
    // A redraw of the root window, with its client size.
    InvalidateRect(TheRootState().client, nullptr, FALSE), UpdateWindow(TheRootState().client);
    RECT client{};
    GetClientRect(TheRootState().client, &client), QEventPeek(type, record);
    EXPECT_EQ((std::array<int32_t, 6>{type, record[0], record[1], record[2], record[5], record[6]}),
              (std::array<int32_t, 6>{kEventRedraw, kRootWindowNumber, client.right, client.bottom, 0, 0}));
    // A press sent from another thread ends the wait at once, though nothing is posted behind it; also where the
    // wait that sees input already there is missing (the first Windows 95 and NT 3.51).
    for (bool oldSystem : {false, true}) {
        HideLaterCalls(oldSystem);
        std::atomic<bool> returned = false, late = false;
        std::thread tool([&] {
            SendMessageA(DialogWith(IDOK), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
            late = !robot::WaitUntil([&] { return returned.load(); }, 2s) && PostMessageA(ok, WM_NULL, 0, 0);
        });
        QEventWait(type, record);
        returned = true;
        tool.join();
        HideLaterCalls(false);
        EXPECT_EQ((std::array{int32_t(late.load()), type, record[1]}), (std::array<int32_t, 3>{0, kEventButton, IDOK}))
            << "late, or not the press; old system: " << oldSystem;
    }

    // A modal dialog over a semi-modal page returns when a button is pressed and stays loaded. Every other window
    // waits for it (count of enabled ones) and has its state back afterwards: the root window waits for the page.
    QDlgUnload(0), QDlgLoad(IDD_INITIAL_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal), QDlgLoad(IDD_DIRECTORY_PAGE);
    HWND page = DialogWith(IDOK);
    int32_t enabled = -1;
    std::thread person([&] { HWND modal = DialogWith(IDC_BROWSE); enabled = IsWindowEnabled(page) + IsWindowEnabled(Root()), robot::Press(modal, IDCANCEL); });
    EXPECT_EQ(CODE(QDlgShow(-1, -1, IDOK, kDialogModal), person.join()), 0);
    EXPECT_EQ((std::array{QStateInfo(1), QStateInfo(3), enabled, int32_t(IsWindowEnabled(Root())), int32_t(IsWindowEnabled(page))}),
              (std::array{IDCANCEL, IDD_DIRECTORY_PAGE, 0, 0, 1}));
}

// A late OK on the initial page, still up under the next page, answers neither that page nor the restart offer.
TEST_F(Windows, PagesAndTheRestartOfferTakeOnlyTheirOwnPresses)
{
    const std::function<int32_t()> waits[] = {
        [] { return QDlgLoad(IDD_DIRECTORY_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal), WaitForPageButton(2, IDD_DIRECTORY_PAGE, 1); },
        [] { Logical runOK = kFalse; return ShowStep(6, runOK), TheInstallState().restartAnswer; },
    };
    for (const auto& wait : waits) {
        QDlgLoad(IDD_INITIAL_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal), PostMessageA(GetDlgItem(DialogWith(IDOK), IDOK), BM_CLICK, 0, 0);
        std::thread person([] { robot::Press(DialogWith(IDCANCEL), IDCANCEL); });
        EXPECT_EQ(wait(), IDCANCEL);
        person.join(), QRootClose(), OpenInstallerRootWindow();
    }
}

TEST_F(Windows, MessageBoxesButtonsDefaultsOwnersAndAnswers)
{
    const struct { int32_t buttons, icon, defaultButton; Strings labels; std::string defaultLabel, press; int32_t answer; } cases[] = {
        {0, 1, 0, {"OK"}, "OK", "OK", 1}, {1, 2, 2, {"OK", "Cancel"}, "Cancel", "OK", 1},
        {2, 3, 9, {"&Retry", "Cancel"}, "Cancel", "&Retry", 1}, {3, 2, 2, {"&Yes", "&No"}, "&No", "&No", 2},
        {4, 4, 7, {"&Yes", "&No", "Cancel"}, "Cancel", "Cancel", 0}, {5, 0, 1, {"&Abort", "&Retry", "&Ignore"}, "&Abort", "&Ignore", 0},
    };
    // The background a box covered comes back without a redraw event: a program that answers redraws with a box
    // would get it again, endlessly.
    for (const auto& c : cases) {
        int32_t code = -1;
        const Box seen = Asked(c.press, [&] { code = CODE(QMsgBox(c.buttons, c.icon, c.defaultButton, "Message text   ", "Caption  ")); });
        EXPECT_EQ(std::tuple(seen.caption, seen.text, seen.labels, seen.defaultLabel, seen.owner, seen.enabled, seen.event, QStateInfo(4), code),
                  std::tuple("Caption", "Message text", c.labels, c.defaultLabel, Root(), 0, kEventNone, c.answer, 0)) << c.buttons;
    }
    // So is a page picture that cannot be drawn reported once in reporting mode 4: a 2 x 2 BMP without its pixels.
    robot::ScratchDirectory dir("picture");
    const std::string cut = std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\2\0\0\0\2\0\0\0\1\0\x18", 29) + std::string(25, '\0');
    robot::WriteFile(dir / "cut.bmp", cut), TheInstallState().bannerPath.assign(dir / "cut.bmp"), SetErrorReportingMode(kReportMessageBox);
    const Box reported = Asked("OK", [] { ShowPagePicture(), SetErrorReportingMode(kReportSilent); });
    EXPECT_EQ(std::tuple(reported.caption, reported.owner, reported.enabled, reported.event), std::tuple("Library Error", Root(), 0, kEventNone));
    // Pages overlap: the next page is up before the previous one goes. The latest semi-modal dialog owns the boxes;
    // both pages wait for them.
    QDlgLoad(IDD_INITIAL_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal);
    QDlgLoad(IDD_DIRECTORY_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal);
    const Box owned = Asked("OK", [] { QMsgBox(0, 1, 1, "Owned by the directory page", "Owner"); });
    EXPECT_EQ(std::pair(owned.owner, owned.enabled), std::pair(DialogWith(IDC_BROWSE), 0));
    DestroyWindow(Root());  // a box that cannot appear: its owner is gone behind the toolkit's back
    EXPECT_EQ((std::pair{CODE(QMsgBox(0, 1, 1, "Nobody sees this", "Lost")), QStateInfo(4)}), std::pair(1004, -1));
}

// ---- The directory browser --------------------------------------------------

const std::string kCaption = "Select Installation Directory", kHome = "C:\\robot";
HWND List(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_LIST); }
std::string PathText(HWND browser) { return robot::ControlText(browser, IDC_BROWSE_PATH); }
bool WaitForPath(HWND browser, const std::string& path) { return robot::WaitUntil([&] { return PathText(browser) == path; }, 10s); }

// Double-clicks a directory, or chooses a drive.
void Choose(HWND browser, bool drive, const std::string& item)
{
    const int id = drive ? IDC_BROWSE_DRIVES : IDC_BROWSE_LIST;
    const LRESULT index = SendDlgItemMessageA(browser, id, drive ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(item.c_str()));
    SendDlgItemMessageA(browser, id, drive ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(id, drive ? CBN_SELCHANGE : LBN_DBLCLK), LPARAM(GetDlgItem(browser, id)));
}

// The pixels the browser draws for list item `index`, in an item-sized bitmap.
std::vector<COLORREF> Drawn(HWND browser, LRESULT index)
{
    RECT r{};
    SendMessageA(List(browser), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    const RECT all{0, 0, r.right - r.left, r.bottom - r.top};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateBitmap(all.right, all.bottom, 1, 32, nullptr));
    DRAWITEMSTRUCT item{ODT_LISTBOX, IDC_BROWSE_LIST, UINT(index), ODA_DRAWENTIRE, 0, List(browser), dc, all, 0};
    SendMessageA(browser, WM_DRAWITEM, IDC_BROWSE_LIST, reinterpret_cast<LPARAM>(&item));
    std::vector<COLORREF> pixels;
    for (int at = 0; at < all.right * all.bottom; ++at) pixels.push_back(GetPixel(dc, at % all.right, at / all.right));
    return DeleteObject(SelectObject(dc, old)), DeleteDC(dc), pixels;
}

// Runs the browser with a person acting in it; the script must close it.
void Browse(int32_t flags, std::span<char> field, const std::function<void(HWND)>& script)
{
    std::thread person([&] {
        HWND browser = DialogWith(IDC_BROWSE_LIST);
        if (browser) script(browser);
        EXPECT_TRUE(browser && robot::WaitUntil([&] { return !IsWindow(browser); }, 10s)) << "no browser, or it stays";
        robot::WaitUntil([] {  // whatever a failed script left open goes, so that QDlgBrowseDir returns
            bool open = false;
            for (HWND w : robot::TopWindows(Self()))
                if (GetDlgItem(w, IDC_BROWSE_LIST) || GetDlgItem(w, 0xFFFF)) open = PostMessageA(w, WM_COMMAND, IDCANCEL, 0) || true;
            return !open;
        }, 10s);
    });
    QDlgBrowseDir(flags, field, kCaption);
    person.join();
}

//   C:\robot\browse    Alpha\Deep, beta, Gamma Long Name, notes.txt (a file)
class Browser : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenInstallerRootWindow();
        for (const char* d : {"Alpha", "Alpha\\Deep", "beta", "Gamma Long Name"}) CreateDirectoryA(at(d).c_str(), nullptr);
        robot::WriteFile(at("notes.txt"), "not a directory");
        SetCurrentDirectoryA(kHome.c_str());     // where the program stands when it asks
        SetEnvironmentVariableA("=D:", nullptr);  // drive D remembers no directory
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"), QRootClose(); }
    std::string at(const std::string& name) const { return tree / name; }
    robot::ScratchDirectory tree{"browse"};
};

TEST_F(Browser, OpensOnTheGivenDirectoryAndEntersListedOnesAndDrives)
{
    FixedText<261> field(tree.path());
    Browse(0, field, [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser) + "|" + PathText(browser), kCaption + "|" + tree.path());
        // Drawn without the brackets: "[..]" as "x..x" would be.
        EXPECT_EQ(Drawn(browser, 0), Drawn(browser, SendMessageA(List(browser), LB_ADDSTRING, 0, LPARAM("x..x"))));
        Choose(browser, false, "[Alpha]");
        ASSERT_TRUE(WaitForPath(browser, at("Alpha")));
        Choose(browser, true, "[-d-]");
        ASSERT_TRUE(WaitForPath(browser, "D:\\"));
        robot::Press(browser, IDOK);
    });
    EXPECT_EQ(std::pair(QStateInfo(4), field.str()), std::pair(1, std::string("D:\\")));
}

// A directory typed and confirmed with OK; with flag 8 the current directory stays where the browser went. (A
// missing directory typed: the browse scenario.)
TEST_F(Browser, EntersTypedDirectories)
{
    FixedText<261> field(tree.path());
    Browse(8, field, [&](HWND browser) {
        SetDlgItemTextA(browser, IDC_BROWSE_PATH, at("Alpha").c_str());
        robot::Press(browser, IDOK);
    });
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(std::tuple(QStateInfo(4), field.str(), std::string(current)), std::tuple(1, at("Alpha"), at("Alpha")));
}

// ---- Operating-system operations and block files -----------------------------

class Os : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentDirectoryA("C:\\"); }
    robot::ScratchDirectory dir{"os"};
};

TEST_F(Os, DirectoriesAndDeletion)
{
    for (std::string name : {"a.txt", "ab.txt", "c.dat", "t.dat"}) robot::WriteFile(dir / name, "x");
    CreateDirectoryA((dir / "d.txt").c_str(), nullptr);
    const struct { const char* what; Operation operation; int32_t code, windowsError; } cases[] = {
        {"make", [&] { QOsDirMake(dir / "one"); }, 0, 0},
        {"make below a missing one", [&] { QOsDirMake(dir / "missing\\two"); }, 13, ERROR_PATH_NOT_FOUND},
        {"delete, directories stay", [&] { QOsDelete(dir / "*.txt"); }, 0, 0},
        {"delete in the current directory", [&] { QOsDirChange(dir.path()), QOsDelete("  c.dat  "); }, 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ERRORS(c.operation()), (std::array<int32_t, 3>{c.code, 0, c.windowsError})) << c.what;
    for (std::string name : {"a.txt", "ab.txt", "c.dat"}) EXPECT_FALSE(robot::FileExists(dir / name)) << name;
    EXPECT_TRUE(robot::FileExists(dir / "t.dat") && robot::DirectoryExists(dir / "d.txt") && robot::DirectoryExists(dir / "one"));
}

TEST_F(Os, InfoItemsAndDriveTypes)
{
    const struct { int32_t item, value; } cases[] = {
        {1, 6}, {4, 42}, {5, 63}, {6, 92}, {7, 0}, {8, 1}, {18, 1}, {0, 0}, {19, 0}, {64, 0}, {'A', 0}, {'C', 2}, {'D', 1},
        {'F', 3}, {'G', 4}, {'H', 5}, {'Z', 0}, {16, kPlatformWindowsNT},  // Wine's default for other programs: Windows 7
    };
    for (const auto& c : cases) EXPECT_EQ(QOsInfo(c.item), c.value) << "item " << c.item;
}

TEST_F(Os, Execution)
{
    const std::string me = '"' + Me() + "\" probe sleep ";
    // A wait that runs out of time fails with 1034; the program goes on and ends by itself. While the caller waits,
    // its windows answer the program's broadcast (each probe says whether every window answered in time).
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CODE(QOsExecute(me + "4000 " + (dir / "slept"), kExecuteWait | kExecuteHidden, 1)), 1034);
    EXPECT_TRUE(std::chrono::steady_clock::now() - started < 3500ms && !robot::FileExists(dir / "slept"));
    EXPECT_EQ(CODE(QOsExecute(me + "0 " + (dir / "waited"), kExecuteWait | kExecuteHidden)), 0);
    EXPECT_EQ(robot::ReadFile(dir / "waited"), "answered");  // there as soon as the call returns
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::ReadFile(dir / "slept") == "answered"; }, 20s) && DestroyWindow(window));
}

TEST_F(Os, BlockFiles)
{
    const std::string path = dir / "data.bin";
    robot::WriteFile(path, std::string(1000, 'a'));
    int32_t handle = 77, offset = 15;
    // Read, update and create, each writing at offset 15 of what it opened.
    const std::string kept(1000, 'a'), updated = std::string(15, 'a') + "b" + std::string(984, 'a'), created = std::string(15, '\0') + "new";
    for (auto [mode, write, after] : {std::tuple{kFileRead, "b", kept}, {kFileReadWrite, "b", updated}, {kFileCreate, "new", created}}) {
        DWORD n = 0;
        EXPECT_EQ(CODE(QFileOpen("  " + path + "  ", mode, handle); QFileSeek(handle, offset, kSeekStart)), 0) << mode;
        WriteFile(HANDLE(intptr_t(handle)), write, DWORD(strlen(write)), &n, nullptr);
        EXPECT_EQ(CODE(QFileClose(handle)), 0) << mode;
        EXPECT_EQ(robot::ReadFile(path), after) << mode;  // create empties the file
    }
}

// The calls of later systems and their fallbacks through the calls of the first ones give the same answers.
TEST(LaterCalls, FallbacksAnswerAsTheLaterCalls)
{
    robot::ScratchDirectory dir("later calls");
    const std::string folder = dir / "A Long Folder Name", file = folder + "\\a long file name.text", big = dir / "big";
    CreateDirectoryA(folder.c_str(), nullptr);
    robot::WriteFile(file, std::string(1234, 'x'));
    FileHandle sparse(CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LONG high = 1;  // over 4 GB (sparse): the high word of the size counts
    SetFilePointer(sparse.get(), 0x2345, &high, FILE_BEGIN);
    SetEndOfFile(sparse.get());
    sparse.Close();
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(file.c_str(), shortName, MAX_PATH);
    HWND top = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    const HWND windows[] = {top, CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr),
                            CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 9, 9, top, nullptr, nullptr, nullptr)};
    uint64_t freeOnC[2] = {};
    for (bool oldSystem : {false, true}) {
        HideLaterCalls(oldSystem);
        // Found, directory, size by name and by handle, time of last change; long names; top-level windows.
        std::string seen;
        for (const std::string& name :
             {file, big, folder, std::string("C:\\"), folder + "\\none", folder + "\\*.text"}) {
            FileHandle h(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            WIN32_FILE_ATTRIBUTE_DATA d{};
            uint64_t size = 0;
            FILETIME written{};
            const bool found = FileAttributesOf(name.c_str(), d);
            const bool same = FileSizeOf(h.get(), size) && GetFileTime(h.get(), nullptr, nullptr, &written) &&
                              size == ((uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow) &&
                              CompareFileTime(&d.ftLastWriteTime, &written) == 0;
            seen += std::to_string(found) + std::to_string(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) +
                    (same ? " " + std::to_string(size) : "") + "|";
        }
        char longer[MAX_PATH] = {};
        const DWORD n = LongPathOf(shortName, longer, MAX_PATH);
        seen += std::string(longer, n) + " " + std::to_string(LongPathOf(shortName, longer, 5)) + " " +
                std::to_string(LongPathOf((folder + "\\none").c_str(), longer, MAX_PATH)) + "|";
        for (HWND w : windows) seen += std::to_string(std::ranges::find(windows, TopLevelOf(w)) - windows);
        EXPECT_TRUE(FreeBytesOf("C:\\", freeOnC[oldSystem]));
        HideLaterCalls(false);
        EXPECT_EQ(seen,
                  "10 1234|10 4294976325|116|116|00|00|" + file + " " + std::to_string(file.size() + 1) + " 0|002")
            << "old system: " << oldSystem;
    }
    DestroyWindow(top);  // and the windows it owns
    // Other programs write to the disk meanwhile: the same within 64 MB (from 4 GB free, clusters times their
    // size overflow 32 bits).
    EXPECT_LT(std::max(freeOnC[0], freeOnC[1]) - std::min(freeOnC[0], freeOnC[1]), 64u << 20);
}

// ---- Start-up and error reporting, each in a probe of its own ------------------

TEST(StartUp, FilesEnvironmentReportingModesAndBoxes)
{
    robot::ScratchDirectory dir("startup");
    robot::WriteFile(dir / "other.ini", "PRINTER = 4\n"), robot::WriteFile(dir / "mine.ini", "PRINTER = 5\n");
    // What every start-up prints first: screen, colours, platform, application, character set, plotter.
    const std::string fixed = "1024x768 16777216/256 0016 Marrowfield standard.chr 11|", library = "Error=1008:Unable to select specified dialog";
    struct Answer { std::string caption, text; Strings labels; int press; };
    const Answer cancel{"Library Error", library, {"OK", "Cancel"}, IDCANCEL};
    // Arguments, MARWDEBUG, MARWINIT, QRVCHDIR, marrow.ini; the boxes and their answers, the exit code, what is printed,
    // and the debug file and its text.
    const struct { std::string args, debug, init, chdir, marrowIni; std::vector<Answer> boxes; DWORD exitCode;
                   std::string output, debugFile = "", debugText = ""; } cases[] = {
        {"startup", "", "other.ini", "D:\\CHR", "PRINTER = 3\n", {}, 0, fixed + "0|40 41 42|other.ini|quorvant.plt|D:\\CHR\\|4\r\n"},
        {"startup mine.ini other.ini", "", "", "", "PRINTER = 3\n", {}, 0, fixed + "0|40 41 42|marrow.ini|quorvant.plt||5\r\n"},
        {"raise 1007", "1", "", "", "", {}, 0, "Error=1007:Unable to load dialog from resource\r\ncontinued, code 1007\r\n"},
        {"raise 1008", "2", "", "", "", {}, 0, "continued, code 1008\r\n", "debug.txt", library + "\r\n"},  // "debug" is a directory
        {"raise 1008", "4", "", "", "", {cancel, {"Marrowfield", "Abnormal exit (code 0) :", {"OK"}, IDOK}}, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args + " " + c.debug + " " + c.marrowIni);
        DeleteFileA((dir / "debug").c_str()), robot::RemoveTree(dir / "debug");
        if (c.debugFile == "debug.txt") CreateDirectoryA((dir / "debug").c_str(), nullptr);
        robot::WriteFile(dir / "marrow.ini", c.marrowIni);
        robot::StartOptions options{dir.path(), {{"MARWDEBUG", c.debug}, {"MARWINIT", c.init}, {"QRVCHDIR", c.chdir}}, dir / "out"};
        robot::Process p = robot::Process::Start('"' + Me() + "\" probe " + c.args, options);
        HWND last = nullptr;
        for (const Answer& a : c.boxes) {
            robot::MessageBoxSeen box;
            ASSERT_TRUE(robot::WaitUntil([&] { return (box = robot::WaitForMessageBox(p.id(), 100ms)).box && box.box != last; }));
            EXPECT_EQ(std::tuple(box.caption, box.text, robot::ButtonLabels(box.box)), std::tuple(a.caption, a.text, a.labels));
            robot::Press(last = box.box, a.press);
        }
        DWORD code = ~0u;
        ASSERT_TRUE(p.WaitForExit(robot::kPatience, &code));
        EXPECT_EQ(std::tuple(code, robot::ReadFile(dir / "out"), c.debugFile.empty() ? "" : robot::ReadFile(dir / c.debugFile)),
                  std::tuple(c.exitCode, c.output, c.debugText));
    }
}

// ---- Installer routines --------------------------------------------------------

TEST(Installer, InstallableDrives)
{
    InstallState& state = TheInstallState() = InstallState{};
    Logical runOK = kFalse;
    FindInstallableDrives(runOK);
    std::string directory = robot::ProgramDirectory() + "\\";
    CharUpperA(directory.data());
    std::string drives;  // K: is there where the test bed could mount its small drive
    for (int32_t i = 0; i < state.installableDriveCount; ++i) drives += state.installableDrives[i].str();
    EXPECT_EQ(std::tuple(runOK, state.sourceDir.str(), state.sourceDirLength, state.isWindowsNT, drives),
              std::tuple(kTrue, directory, int32_t(directory.size()), kTrue, GetDriveTypeA("K:\\") == DRIVE_FIXED ? "C:F:K:Y:" : "C:F:Y:"));
}

// A copy replaces a file of an earlier installation only once it is whole, a read-only one too; a failed copy leaves
// that file as it was and no temporary file; also where the files are moved with the calls of the first systems.
// The windows go on answering while a large file is copied.
TEST(Installer, CopiesReplaceAndNeverDestroy)
{
    robot::ScratchDirectory dir("copies");
    const std::string source = dir / "source.txt", to = dir / "to", small = "K:\\copies";
    robot::WriteFile(source, "new");
    CreateDirectoryA(to.c_str(), nullptr);
    const bool smallDrive = GetDriveTypeA("K:\\") == DRIVE_FIXED;  // 1 MB: the test bed mounts it when it runs as root
    if (smallDrive) CreateDirectoryA(small.c_str(), nullptr);
    const std::string big = dir / "big.dat", bigBytes(64 << 20, 'b');
    robot::WriteFile(big, bigBytes);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    std::atomic<bool> copying = false, done = false;
    std::atomic<int> answeredDuringCopy = 0;
    std::thread tool([&] {
        for (int i = 0; !done && i < 10000; ++i)
            answeredDuringCopy += SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr) && copying;
    });
    // Source, destination, its earlier bytes (a read-only file: '!' first), status, bytes after; "-": no file.
    const std::tuple<std::string, std::string, std::string, int32_t, std::string> cases[] = {
        {source, to + "\\earlier.txt", "earlier bytes", 0, "new"},
        {source, to + "\\read-only.txt", "!earlier", 0, "new"},
        {big, small + "\\big.dat", smallDrive ? "earlier" : "-", smallDrive ? 4 : 2, smallDrive ? "earlier" : "-"},
        {big, to + "\\big.dat", "-", 0, bigBytes},
    };
    for (bool oldSystem : {false, true}) {
        for (const auto& [from, destination, earlier, wantStatus, wantAfter] : cases) {
            if (earlier != "-") {
                SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
                robot::WriteFile(destination, earlier.substr(earlier[0] == '!'));
                if (earlier[0] == '!') SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY);
            }
            HideLaterCalls(oldSystem);
            int32_t status = -1;
            int64_t size = 0;
            uint32_t failure = 0;
            copying = from == big;
            CopyExpanded(from.c_str(), destination.c_str(), status, size, failure);
            copying = false;
            HideLaterCalls(false);
            const DWORD attributes = GetFileAttributesA(destination.c_str());
            const std::string after = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)
                                          ? "-"
                                          : robot::ReadFile(destination);
            // A full disk says so.
            const DWORD fullDisk = from == big && wantStatus == 4 ? DWORD{ERROR_DISK_FULL} : 0u;
            EXPECT_EQ(std::tuple(status, after, fullDisk ? failure : 0u), std::tuple(wantStatus, wantAfter, fullDisk))
                << destination << " " << oldSystem;
            DeleteFileA(destination.c_str());
        }
        for (const std::string& folder : {to, small}) {
            WIN32_FIND_DATAA found{};
            EXPECT_FALSE(FindHandle(FindFirstFileA((folder + "\\mrw*").c_str(), &found)).valid()) << found.cFileName;
        }
    }
    done = true;
    tool.join();
    DestroyWindow(window);
    EXPECT_GT(answeredDuringCopy, 0);
    RemoveDirectoryA(small.c_str());
}

// The program's own expansion gives what the LZ library gives, byte for byte: literals, matches, matches into the
// ring's first blanks, long runs, text and noise.
TEST(Installer, ExpansionAsTheLzLibraryGivesIt)
{
    robot::ScratchDirectory dir("expand");
    std::string words, noise(70000, '\0');
    for (int i = 0; words.size() < 300000; ++i)
        words += "word" + std::to_string(i * 7919 % 1000) + (i % 13 ? " " : "\r\n");
    uint32_t seed = 1;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    const std::string packedPath = dir / "sample.da_", ours = dir / "ours.dat", library = dir / "library.dat";
    for (const std::string& data :
         {std::string(), std::string("x"), std::string(5000, ' '), std::string(99999, 'a'), words, noise}) {
        const std::vector<uint8_t> packed =
            CompressLz(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()), 'T');
        robot::WriteFile(packedPath, std::string(packed.begin(), packed.end()));
        int32_t status = -1;
        int64_t size = 0;
        uint32_t failure = 0;
        CopyExpanded(packedPath.c_str(), ours.c_str(), status, size, failure);
        OFSTRUCT in{}, out{};
        const INT from = LZOpenFileA(const_cast<char*>(packedPath.c_str()), &in, OF_READ);
        const INT to = LZOpenFileA(const_cast<char*>(library.c_str()), &out, OF_CREATE);
        LZCopy(from, to);
        LZClose(from);
        LZClose(to);
        EXPECT_EQ(std::tuple(status, robot::ReadFile(ours), robot::ReadFile(library).size()),
                  std::tuple(0, robot::ReadFile(library), data.size()));
    }
}

// A variable's value where the installer writes it, as stored (references unexpanded), to extend it.
TEST(Installer, EnvironmentValueAsStored)
{
    const std::string stored = "C:\\TOOLS;%USERPROFILE%\\BIN";
    int32_t status = -1;
    SetEnvironmentValue(status, "MARROWPATH", 0, stored.c_str(), 0);
    std::string value, none;
    const bool found = GetEnvironmentValue("marrowpath", value);
    EXPECT_EQ(std::tuple(status, found, value, GetEnvironmentValue("NONE", none)), std::tuple(0, true, stored, false));
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, "MARROWPATH");
    RegCloseKey(key);
}

// The probe: prints what a test started it for.
int Probe(const Strings& a)
{
    const DWORD started = GetTickCount();
    QStartUp(a[0] == "startup" && a.size() > 1 ? a[1] : " ");
    if (a[0] == "startup" && a.size() > 2) QStartUp(a[2]);  // a second call changes nothing
    const ToolkitConfig& c = TheConfig();
    if (a[0] == "startup")
        std::printf("%dx%d %d/%d %d%d%d%d %s %s %d|%d|%d %d %d|%s|%s|%s|%d\n", c.screenWidth, c.screenHeight, c.displayColours,
                    c.graduatedColours, c.isWin32s, c.isWindows95, c.isWindowsNT, c.majorVersion, c.applicationName.str().c_str(),
                    c.charsetFile.str().c_str(), c.plotterDriver, ErrorReportingMode(), c.generalUnit, c.plotOutputUnit,
                    c.plotInputUnit, c.initFileName.str().c_str(), c.plotterFile.str().c_str(), c.charsetDir.str().c_str(), c.printerDriver);
    if (a[0] == "raise") RaiseError(std::stoi(a[1])), std::printf("continued, code %d\n", QErrorInfo(1));
    // sleep: a change of the environment announced to every window first, as installers do; did all answer in time?
    if (a[0] == "sleep") SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, LPARAM("Environment"), SMTO_NORMAL, 3000, nullptr);
    if (a[0] == "sleep") Sleep(std::stoi(a[1])), robot::WriteFile(a[2], GetTickCount() - started < 3000u + std::stoi(a[1]) ? "answered" : "late");
    return std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "probe") return Probe(Strings(argv + 2, argv + argc));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
