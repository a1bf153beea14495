// The Win32 side of the toolkit and the installer, in this process under
// Wine. Dialogs and message boxes are answered from a second thread, as a
// person would. Started as "toolkit_win_tests probe ...", this program is also the
// probe for what happens once per process (start-up, a box that ends the
// run) or depends on the Windows version Wine reports for a file name.
// Test bed drives: C: and Y: fixed, D: floppy, F: network, G: CD-ROM, H: RAM disk.
#include <windows.h>
#include <imm.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics.h"
#include "lz_compress.h"
#include "pages/pages.h"
#include "script/install_plan.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/config.h"
#include "startup/startup.h"
#include "system/file_helpers.h"
#include "system/system_steps.h"
#include "ui/background.h"
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

using namespace std;
using namespace robot;
using Operation = function<void()>;

DWORD Self() { return GetCurrentProcessId(); }
HWND Root() { return TheRootState().window; }
// This program started as the probe; the probe's arguments follow.
string ProbeCommand() { return '"' + ProgramDirectory() + "\\toolkit_win_tests.exe\" probe "; }
// A window of this thread that has to go on answering: a popup, or a window of the kind asked.
HWND Window(DWORD style = WS_POPUP, HWND parent = nullptr)
{
    return CreateWindowA("STATIC", "", style, 0, 0, 9, 9, parent, nullptr, nullptr, nullptr);
}

// The error words an operation leaves, from a cleared error state: the code
// (0: none raised), the file detail and the Windows error of an OS routine.
array<int32_t, 3> ErrorsOf(const Operation& operation)
{
    for (int item : {1, 2, 3}) QErrorInfo(item);
    operation();
    return {QErrorInfo(1), QErrorInfo(2), QErrorInfo(3)};
}
#define CODE(...) ErrorsOf([&] { __VA_ARGS__; })[0]

// An operation with its own text, for tables of cases: a failure names the calls.
struct Step {
    const char* text;
    Operation run;
};
#define STEP(...) (Step{#__VA_ARGS__, [&] { __VA_ARGS__; }})

// The visible top-level dialog of this process that holds that control (the last in z-order).
HWND DialogWith(int control)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows(Self())) found = IsWindowVisible(w) && GetDlgItem(w, control) ? w : found;
            return found != nullptr;
        },
        10s);
    return found;
}

void ShowPage(int32_t id)
{
    QDlgLoad(id);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
}

// Answers the next message box of a process with the button labelled `press`. What a person saw: caption, text and
// buttons (the default one starred), then how many other windows of the process were left enabled.
string AnswerBox(DWORD process, const string& press, HWND* owner = nullptr)
{
    auto [box, caption, text] = WaitForMessageBox(process, 10s);
    string seen = caption + "|" + text + "|";
    int enabled = 0;
    for (HWND w : TopWindows(process)) enabled += w != box && IsWindowVisible(w) && IsWindowEnabled(w);
    int id = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        string label = WindowText(c);
        if (ClassName(c) != "Button") continue;
        seen += ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? "*" : "") + label + "|";
        // Without that button (a fault), any: the box goes, and what was seen fails the test instead of a hang.
        if (label == press || id == 0) id = GetDlgCtrlID(c);
    }
    if (owner) *owner = GetWindow(box, GW_OWNER);
    // Windows has what a box covered redrawn when it goes (Wine keeps it): so does the person, for the box's owner to
    // drop.
    if (HWND client = TheRootState().client) InvalidateRect(client, nullptr, FALSE);
    Press(box, id);
    WaitUntil([&] { return !IsWindow(box); }, 10s);
    return seen + to_string(enabled);
}

EventRecord record{};  // of the last event read

// Runs an operation while a person answers the box it asks: what they saw, then the type of the event pending
// afterwards (-1: none).
string Asked(const string& press, const Operation& operation, HWND* owner = nullptr)
{
    string seen;
    thread person([&] { seen = AnswerBox(Self(), press, owner); });
    operation();
    person.join();
    int32_t type = 0;
    QEventPeek(type, record);
    return seen + "|" + to_string(type);
}

// ---- Root window, dialogs, events and message boxes -------------------------

struct Windows : testing::Test {
    void SetUp() override
    {
        OpenInstallerRootWindow();
        Drain();
    }
    void TearDown() override { QRootClose(); }
    static void Drain()
    {
        int32_t type = 0;
        for (int n = 0; n < 1000 && type != kEventNone; ++n) QEventPeek(type, record);
    }
};

// The root window as the installer opens it: its frame, its title; no input method where no layout composes.
TEST_F(Windows, RootWindowFrameAndTitle)
{
    EXPECT_EQ(ImmGetDefaultIMEWnd(Root()), nullptr);
    EXPECT_EQ(GetWindowLongA(Root(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MAXIMIZE),
              WS_CAPTION | WS_MAXIMIZE);
    string title = "Demo Product Setup" + string(100, 'x');
    QRootTitle(title);
    EXPECT_EQ(WindowText(Root()), title.substr(0, 80));
}

// The same background is painted once; again only where the surface may hold another: after the message, on a new size.
TEST_F(Windows, BackgroundPaintedAgainOnlyWhereItMayDiffer)
{
    const RootState& root = TheRootState();
    TheInstallPlan().general.message.assign("Message");
    auto painted = [&](int32_t mode, bool afresh) {
        if (afresh) QGrBox(0, 0, 0.5f, 0.5f);  // for the background to cover
        PaintBackground(mode);
        string pixels;  // every seventh of every seventh row: a few of each line of text
        for (int y = 0; y < root.surfaceHeight; y += 7)
            for (int x = 0; x < root.surfaceWidth; x += 7) pixels += to_string(GetPixel(root.store.dc(), x, y));
        return pixels;
    };
    InvalidateRect(root.client, nullptr, FALSE);
    painted(1, true);
    int32_t type = 0;
    QEventPeek(type, record);
    EXPECT_EQ(type, kEventNone);  // no paint left to report as a redraw: the drawing showed itself
    const uint32_t changes = SurfaceChanges();
    painted(1, false);
    EXPECT_EQ(SurfaceChanges(), changes);
    for (bool resized : {false, true}) {  // after the message, on a new size
        if (resized) SetWindowPos(Root(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        const string again = painted(0, false);
        EXPECT_TRUE(again == painted(0, true)) << resized;
    }
}

// Dialog operations and their errors, and the table of fifty dialogs.
TEST_F(Windows, DialogsAndTheirErrors)
{
    const pair<Step, int32_t> cases[] = {
        {STEP(QDlgUnload(0)), 1005},
        {STEP(QDlgSelect(202)), 1008},
        {STEP(QDlgLoad(7777)), 1007},
        {STEP(QDlgLoad(IDD_PROGRESS)), 0},
        {STEP(QDlgRange(IDC_PROGRESS_BAR, 0, 65535)), 0},
        {STEP(QDlgRange(IDC_PROGRESS_BAR, 0, 65536)), 1013},
        {STEP(QDlgRange(IDC_PROGRESS_BAR, 7, 7)), 1013},
        {STEP(QDlgRange(IDCANCEL, 0, 10)), 1006},
        {STEP(QDlgShow(-1, 5000, 0, kDialogSemiModal)), 1014},  // a child dialog is modeless
        {STEP(QDlgLoad(IDD_SYSTEM_PAGE)), 0},
        {STEP(QDlgPutCheck(IDC_ADD_VARIABLES, 2)), 1009},
    };
    for (const auto& [step, code] : cases) EXPECT_EQ(ErrorsOf(step.run)[0], code) << step.text;
    QDlgUnload(0);
    QDlgSelect(IDD_PROGRESS);
    QDlgUnload(0);
    for (int32_t id = 5000; id <= 5050; ++id) EXPECT_EQ(CODE(QDlgLoad(id)), id < 5050 ? 0 : 1007) << id;
}

// A press sent from another thread ends the wait at once, though nothing is posted behind it; also where the wait
// that sees input already there is missing (the first Windows 95 and NT 3.51).
TEST_F(Windows, APressSentFromAnotherThreadEndsTheWait)
{
    int32_t type = 0;
    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(-1, -1, IDOK, kDialogModeless);
    HWND ok = GetDlgItem(DialogWith(IDOK), IDOK);
    Drain();
    for (bool old : {false, true}) {
        HideLaterCalls(old);
        atomic<bool> returned = false, late = false;
        thread tool([&] {
            SendMessageA(DialogWith(IDOK), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(ok));
            late = !WaitUntil([&] { return returned.load(); }, 2s) && PostMessageA(ok, WM_NULL, 0, 0);
            // A press that makes no event at all still ends the wait, late.
            if (!WaitUntil([&] { return returned.load(); }, 2s)) PostMessageA(ok, BM_CLICK, 0, 0);
        });
        QEventWait(type, record);
        returned = true;
        tool.join();
        HideLaterCalls(false);
        EXPECT_EQ(tuple(late.load(), type, record[1]), tuple(false, kEventButton, IDOK)) << old;
    }
}

// A late OK on the initial page, still up under the next page, answers neither that page nor the restart offer.
TEST_F(Windows, PagesTakeOnlyTheirOwnPresses)
{
    const function<int32_t()> waits[] = {
        [] {
            ShowPage(IDD_DIRECTORY_PAGE);
            return WaitForPageButton(2, IDD_DIRECTORY_PAGE, 1);
        },
        [] {
            Logical runOK = kFalse;
            ShowStep(6, runOK);
            return TheInstallState().restartAnswer;
        },
    };
    for (const auto& wait : waits) {
        ShowPage(IDD_INITIAL_PAGE);
        Press(DialogWith(IDOK), IDOK);
        thread person([] { Press(DialogWith(IDCANCEL), IDCANCEL); });
        EXPECT_EQ(wait(), IDCANCEL);
        person.join();
        QRootClose();
        OpenInstallerRootWindow();
    }
}

// Message boxes: their buttons, default buttons, owners and answers. The background a box covered comes back
// without a redraw event: a program that answers redraws with a box would get it again, endlessly.
TEST_F(Windows, MessageBoxes)
{
    // Buttons, icon, default button; the button pressed, the buttons seen (the default one starred), the answer. (The
    // sets the installer shows, OK, Yes and No, Abort, Retry and Ignore: the scenarios.)
    const tuple<int32_t, int32_t, int32_t, string, string, int32_t> cases[] = {
        {1, 2, 2, "OK", "OK|*Cancel", 1},
        {2, 3, 9, "&Retry", "&Retry|*Cancel", 1},
        {4, 4, 7, "Cancel", "&Yes|&No|*Cancel", 0},
    };
    HWND owner = nullptr;
    for (const auto& [buttons, icon, defaultButton, press, labels, answer] : cases) {
        int32_t code = -1;
        string seen = Asked(
            press, [&] { code = CODE(QMsgBox(buttons, icon, defaultButton, "Message text   ", "Caption  ")); }, &owner);
        EXPECT_EQ(tuple(seen, owner, QStateInfo(4), code),
                  tuple("Caption|Message text|" + labels + "|0|-1", Root(), answer, 0));
    }
    // Pages overlap: the next page is up before the previous one goes. The latest semi-modal dialog owns the boxes;
    // both pages wait for them.
    ShowPage(IDD_INITIAL_PAGE);
    ShowPage(IDD_DIRECTORY_PAGE);
    string owned = Asked(
        "OK", [] { QMsgBox(0, 1, 1, "Owned by the directory page", "Owner"); }, &owner);
    EXPECT_EQ(pair(owned, owner), pair(string("Owner|Owned by the directory page|*OK|0|-1"), DialogWith(IDC_BROWSE)));
}

// ---- The directory browser --------------------------------------------------

// Double-clicks a directory, or chooses a drive; true once the browser shows `path`.
bool Choose(HWND browser, bool drive, const string& item, const string& path)
{
    int id = drive ? IDC_BROWSE_DRIVES : IDC_BROWSE_LIST;
    SendDlgItemMessageA(browser, id, drive ? CB_SELECTSTRING : LB_SELECTSTRING, WPARAM(-1), LPARAM(item.c_str()));
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(id, drive ? CBN_SELCHANGE : LBN_DBLCLK),
                 LPARAM(GetDlgItem(browser, id)));
    return WaitUntil([&] { return ControlText(browser, IDC_BROWSE_PATH) == path; }, 10s);
}

// The pixels the browser draws for list item `index`, in a bitmap the size of the first item (at the top left).
string Drawn(HWND browser, LRESULT index)
{
    HWND list = GetDlgItem(browser, IDC_BROWSE_LIST);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 0, LPARAM(&r));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(r.right, r.bottom, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{ODT_LISTBOX, IDC_BROWSE_LIST, UINT(index), ODA_DRAWENTIRE, 0, list, dc, r, 0};
    SendMessageA(browser, WM_DRAWITEM, IDC_BROWSE_LIST, LPARAM(&item));
    string pixels(r.right * r.bottom * 4, '\0');
    GetBitmapBits(bitmap, pixels.size(), pixels.data());
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
}

// Runs the browser on `start` with a person acting in it (the script must close it): the answer (1: OK) and the
// directory chosen.
string Browse(int32_t flags, const string& start, const function<void(HWND)>& script)
{
    FixedText<261> field(start);
    thread person([&] {
        HWND browser = DialogWith(IDC_BROWSE_LIST);
        if (browser) script(browser);
        EXPECT_TRUE(browser && WaitUntil([&] { return !IsWindow(browser); }, 10s)) << "no browser, or it stays";
        // Whatever a failed script left open goes, so that QDlgBrowseDir returns.
        WaitUntil(
            [] {
                int open = 0;
                for (HWND w : TopWindows(Self()))
                    if (GetDlgItem(w, IDC_BROWSE_LIST) || GetDlgItem(w, 0xFFFF))
                        open += PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                return !open;
            },
            10s);
    });
    QDlgBrowseDir(flags, field, "Select Installation Directory");
    person.join();
    return to_string(QStateInfo(4)) + " " + field.str();
}

// In C:\robot\browse (Alpha\Deep, beta, Gamma Long Name, notes.txt, a file) the browser opens on the given
// directory, enters listed ones and drives and, with OK, a typed one; with flag 8 the current directory stays
// where the browser went. (A missing directory typed: the browse scenario.)
TEST(Browser, EntersListedAndTypedDirectoriesAndDrives)
{
    OpenInstallerRootWindow();
    ScratchDirectory tree("browse");
    string alpha = tree / "Alpha";
    for (const char* d : {"Alpha", "Alpha\\Deep", "beta", "Gamma Long Name"})
        CreateDirectoryA((tree / d).c_str(), nullptr);
    WriteFile(tree / "notes.txt", "not a directory");
    SetCurrentDirectoryA("C:\\robot");        // where the program stands when it asks
    SetEnvironmentVariableA("=D:", nullptr);  // drive D remembers no directory
    EXPECT_EQ(Browse(0, tree.path,
                     [&](HWND browser) {
                         EXPECT_EQ(WindowText(browser) + "|" + ControlText(browser, IDC_BROWSE_PATH),
                                   "Select Installation Directory|" + tree.path);
                         // Drawn without the brackets: "[..]" as "x..x" would be.
                         EXPECT_EQ(Drawn(browser, 0),
                                   Drawn(browser, SendDlgItemMessageA(browser, IDC_BROWSE_LIST, LB_ADDSTRING, 0,
                                                                      LPARAM("x..x"))));
                         ASSERT_TRUE(Choose(browser, false, "[Alpha]", alpha));
                         ASSERT_TRUE(Choose(browser, true, "[-d-]", "D:\\"));
                         Press(browser, IDOK);
                     }),
              "1 D:\\");
    EXPECT_EQ(Browse(8, tree.path,
                     [&](HWND browser) {
                         SetDlgItemTextA(browser, IDC_BROWSE_PATH, alpha.c_str());
                         Press(browser, IDOK);
                     }),
              "1 " + alpha);
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(current, alpha);
    SetCurrentDirectoryA("C:\\");
    QRootClose();
}

// ---- Operating-system operations ---------------------------------------------

// What stands at a path: "-" nothing, else the file's bytes.
string Contents(const string& path) { return FileExists(path) ? ReadFile(path) : "-"; }

// A program run and waited for, and drive types.
TEST(Os, ExecutionAndDriveTypes)
{
    ScratchDirectory dir("os");
    // A wait that runs out of time fails with 1034; the program goes on and ends by itself. While the caller waits,
    // its windows answer the program's broadcast (each probe says whether every window answered in time).
    string sleep = ProbeCommand() + "sleep ";
    HWND window = Window();
    DWORD started = GetTickCount();
    EXPECT_EQ(CODE(QOsExecute(sleep + "4000 " + (dir / "slept"), kExecuteWait | kExecuteHidden, 1)), 1034);
    EXPECT_EQ(pair(GetTickCount() - started < 3500, Contents(dir / "slept")), pair(true, string("-")));
    EXPECT_EQ(CODE(QOsExecute(sleep + "0 " + (dir / "waited"), kExecuteWait | kExecuteHidden)), 0);
    EXPECT_EQ(ReadFile(dir / "waited"), "answered");  // there as soon as the call returns
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(dir / "slept") == "answered"; }, 20s));
    DestroyWindow(window);
    // Drive types as the toolkit numbers them: none, fixed, floppy, network, CD-ROM, RAM disk.
    string types;
    for (char drive : string("ACDFGHZ")) types += to_string(QOsInfo(drive));
    EXPECT_EQ(types, "0213450");
}

// The calls of later systems and their fallbacks through the calls of the first ones give the same answers.
TEST(LaterCalls, FallbacksAnswerAsTheLaterCalls)
{
    ScratchDirectory dir("later calls");
    string folder = dir / "A Long Folder Name", file = folder + "\\a long file name.text", big = dir / "big";
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFile(file, string(1234, 'x'));
    HANDLE sparse = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LONG high = 1;  // over 4 GB (sparse): the high word of the size counts
    SetFilePointer(sparse, 0x2345, &high, FILE_BEGIN);
    SetEndOfFile(sparse);
    CloseHandle(sparse);
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(file.c_str(), shortName, MAX_PATH);
    HWND top = Window();
    const HWND windows[] = {top, Window(WS_CHILD, top), Window(WS_POPUP, top)};
    uint64_t freeOnC[2] = {};
    for (bool old : {false, true}) {
        HideLaterCalls(old);
        // Found, directory, size by name and by handle, time of last change; long names; top-level windows.
        ostringstream seen;
        for (const string& name : {file, big, folder, string("C:\\"), folder + "\\none", folder + "\\*.text"}) {
            FileHandle h(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            WIN32_FILE_ATTRIBUTE_DATA d{};
            uint64_t size = 0;
            FILETIME written{};
            seen << FileAttributesOf(name.c_str(), d) << (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            if (FileSizeOf(h.get(), size) && GetFileTime(h.get(), nullptr, nullptr, &written) &&
                size == (uint64_t{d.nFileSizeHigh} << 32 | d.nFileSizeLow) &&
                !CompareFileTime(&d.ftLastWriteTime, &written))
                seen << ' ' << size;
            seen << '|';
        }
        char longer[MAX_PATH] = {};
        seen << string(longer, LongPathOf(shortName, longer, MAX_PATH)) << ' ' << LongPathOf(shortName, longer, 5)
             << ' ' << LongPathOf((folder + "\\none").c_str(), longer, MAX_PATH) << '|';
        for (HWND w : windows) seen << ranges::find(windows, TopLevelOf(w)) - windows;
        EXPECT_TRUE(FreeBytesOf("C:\\", freeOnC[old]));
        HideLaterCalls(false);
        EXPECT_EQ(seen.str(),
                  "10 1234|10 4294976325|116|116|00|00|" + file + " " + to_string(file.size() + 1) + " 0|002")
            << old;
    }
    DestroyWindow(top);  // and the windows it owns
    // Other programs write to the disk meanwhile: the same within 64 MB (from 4 GB free, clusters times their
    // size overflow 32 bits).
    EXPECT_LT(llabs(int64_t(freeOnC[0] - freeOnC[1])), 64 << 20);
}

// ---- Start-up and error reporting, each in a probe of its own ------------------

// Files, environment, reporting modes and boxes.
TEST(StartUp, FilesEnvironmentAndReporting)
{
    ScratchDirectory dir("startup");
    WriteFile(dir / "other.ini", "PRINTER = 4\n");
    WriteFile(dir / "mine.ini", "PRINTER = 5\n");
    // What every start-up prints first: screen, colours, platform; then the reporting mode, the initialisation file,
    // the character set directory and the printer driver. (The defaults that start-up leaves are the unit tests'.)
    string fixed = "1024x768 16777216/256 0016|";
    string library = "Error=1008:Unable to select specified dialog";
    // Arguments, MARWDEBUG, MARWINIT, QRVCHDIR, marrow.ini; the boxes (the button pressed, what was seen), the exit
    // code, what is printed, and the text of debug.txt, written where "debug" is a directory (the last case).
    const struct {
        string args, debug, init, chdir, marrowIni;
        vector<pair<string, string>> boxes;
        DWORD exitCode;
        string output, debugText = "";
    } cases[] = {
        {"startup", "", "other.ini", "D:\\CHR", "PRINTER = 3\n", {}, 0, fixed + "0|other.ini|D:\\CHR\\|4\r\n"},
        {"startup mine.ini other.ini", "", "", "", "PRINTER = 3\n", {}, 0, fixed + "0|marrow.ini||5\r\n"},
        {"raise 1007",
         "1",
         "",
         "",
         "",
         {},
         0,
         "Error=1007:Unable to load dialog from resource\r\ncontinued, code 1007\r\n"},
        {"raise 1008",
         "4",
         "",
         "",
         "",
         {{"Cancel", "Library Error|" + library + "|*OK|Cancel|0"},
          {"OK", "Marrowfield|Abnormal exit (code 0) :|*OK|0"}},
         1,
         ""},
        {"raise 1008", "2", "", "", "", {}, 0, "continued, code 1008\r\n", library + "\r\n"},
        // The common controls, which the program does not import (Wine would load them for their classes itself).
        {"comctl32", "", "", "", "", {}, 0, "011\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args + c.debug);
        if (!c.debugText.empty()) CreateDirectoryA((dir / "debug").c_str(), nullptr);
        WriteFile(dir / "marrow.ini", c.marrowIni);
        StartOptions options{
            dir.path, {{"MARWDEBUG", c.debug}, {"MARWINIT", c.init}, {"QRVCHDIR", c.chdir}}, dir / "out"};
        Process p = Process::Start(ProbeCommand() + c.args, options);
        for (const auto& [press, seen] : c.boxes) EXPECT_EQ(AnswerBox(p.id(), press), seen);
        DWORD code = ~0u;
        ASSERT_TRUE(p.WaitForExit(kPatience, &code));
        EXPECT_EQ(tuple(code, ReadFile(dir / "out"), c.debugText.empty() ? "" : ReadFile(dir / "debug.txt")),
                  tuple(c.exitCode, c.output, c.debugText));
    }
}

// ---- Installer routines --------------------------------------------------------

// CopyExpanded's status and the Windows error of a failed copy.
pair<int32_t, uint32_t> Copy(const string& from, const string& to)
{
    int32_t status = -1;
    int64_t size = 0;
    uint32_t failure = 0;
    CopyExpanded(from.c_str(), to.c_str(), status, size, failure);
    return {status, failure};
}

// A copy replaces a file of an earlier installation only once it is whole, a read-only one too; a failed copy leaves
// that file as it was and no temporary file; also where the files are moved with the calls of the first systems.
// The windows go on answering while a large file is copied.
uint64_t WrittenAt(const string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &d);
    return uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32 | d.ftLastWriteTime.dwLowDateTime;
}

TEST(Installer, CopiesReplaceAndNeverDestroy)
{
    ScratchDirectory dir("copies");
    string source = dir / "source.txt", to = dir / "to", small = "K:\\copies", big = dir / "big.dat";
    string bigBytes(64 << 20, 'b');
    WriteFile(source, "new");
    WriteFile(big, bigBytes);
    FILETIME longAgo{0x8EC0C000, 0x01C073FE};  // 1 January 2001
    for (const string& file : {source, big}) {
        FileHandle h(CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetFileTime(h.get(), nullptr, nullptr, &longAgo);
    }
    CreateDirectoryA(to.c_str(), nullptr);
    bool smallDrive = GetDriveTypeA("K:\\") == DRIVE_FIXED;  // 1 MB: the test bed mounts it when it runs as root
    if (smallDrive) CreateDirectoryA(small.c_str(), nullptr);
    string onSmall = smallDrive ? "earlier" : "-";
    HWND window = Window();
    atomic<bool> copying = false, done = false;
    atomic<int> answered = 0;
    thread tool([&] {
        WaitUntil([&] {
            answered += SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr) && copying;
            return done.load();
        });
    });
    // Source, destination, its earlier bytes (a read-only file: '!' first), status, bytes after; "-": no file.
    // A full disk (status 4) says so.
    const tuple<string, string, string, int32_t, string> cases[] = {
        {source, to + "\\earlier.txt", "earlier bytes", 0, "new"},
        {source, to + "\\read-only.txt", "!earlier", 0, "new"},
        {big, small + "\\big.dat", onSmall, smallDrive ? 4 : 2, onSmall},
        {big, to + "\\big.dat", "-", 0, bigBytes},
    };
    for (bool old : {false, true}) {
        for (const auto& [from, into, earlier, status, after] : cases) {
            if (earlier != "-") {
                SetFileAttributesA(into.c_str(), FILE_ATTRIBUTE_NORMAL);
                WriteFile(into, earlier.substr(earlier[0] == '!'));
                if (earlier[0] == '!') SetFileAttributesA(into.c_str(), FILE_ATTRIBUTE_READONLY);
            }
            HideLaterCalls(old);
            copying = from == big;
            auto [copied, failure] = Copy(from, into);
            copying = false;
            HideLaterCalls(false);
            uint32_t full = status == 4 ? ERROR_DISK_FULL : 0;
            // A copy keeps its source's time of last change.
            bool sameTime = status != 0 || WrittenAt(into) == WrittenAt(from);
            EXPECT_EQ(tuple(copied, Contents(into), full ? failure : 0, sameTime), tuple(status, after, full, true))
                << into << old;
            DeleteFileA(into.c_str());
        }
        for (const string& folder : {to, small}) {
            WIN32_FIND_DATAA found{};
            EXPECT_FALSE(FindHandle(FindFirstFileA((folder + "\\mrw*").c_str(), &found)).valid()) << found.cFileName;
        }
    }
    done = true;
    tool.join();
    DestroyWindow(window);
    EXPECT_GT(answered, 0);
    RemoveDirectoryA(small.c_str());
}

// The program's own expansion gives back what was compressed, as the LZ library does: literals, matches, matches
// into the ring's first blanks, long runs, text and noise.
TEST(Installer, ExpansionAsTheLzLibraryGivesIt)
{
    ScratchDirectory dir("expand");
    string words, noise(70000, '\0'), packed = dir / "sample.da_", ours = dir / "ours.dat",
                                      library = dir / "library.dat";
    for (int i = 0; words.size() < 300000; ++i) words += "word" + to_string(i * 7919 % 1000) + (i % 13 ? " " : "\r\n");
    uint32_t seed = 1;
    for (char& c : noise) {
        seed = seed * 1103515245 + 12345;
        c = char(seed >> 16);
    }
    for (const string& data : {string(), string("x"), string(5000, ' '), string(99999, 'a'), words, noise}) {
        vector<uint8_t> bytes = CompressLz({(const uint8_t*)data.data(), data.size()}, 'T');
        WriteFile(packed, string(bytes.begin(), bytes.end()));
        OFSTRUCT in{}, out{};
        INT from = LZOpenFileA(packed.data(), &in, OF_READ), into = LZOpenFileA(library.data(), &out, OF_CREATE);
        LZCopy(from, into);
        LZClose(from);
        LZClose(into);
        EXPECT_EQ((tuple{Copy(packed, ours).first, ReadFile(ours), ReadFile(library)}), tuple(0, data, data));
    }
    // Another method than the decoder's goes to the library, which knows none but 'A'.
    WriteFile(packed, ReadFile(packed).replace(8, 1, "B"));
    EXPECT_EQ(Copy(packed, ours).first, -LZERROR_UNKNOWNALG);
}

// Sources are opened in the letter case the system gave for the program's directory: the installer names it in
// capitals. Another directory, one whose name only begins with the same letters, stays as it is.
TEST(Installer, SourcesInTheCaseOfTheProgramsDirectory)
{
    string own = ProgramDirectory(), upper = own;
    for (char& c : upper) c = char(toupper(c));
    ASSERT_NE(own, upper);
    for (auto [path, opened] : {pair(upper + "\\A.TX_", own + "\\A.TX_"), {upper + "X\\A", upper + "X\\A"}})
        EXPECT_EQ(InOwnCase(path), opened);
}

// A variable's value where the installer writes it, as stored (references unexpanded), to extend it.
TEST(Installer, EnvironmentValueAsStored)
{
    string stored = "C:\\TOOLS;%USERPROFILE%\\BIN";
    int32_t status = -1;
    SetEnvironmentValue(status, "MARROWPATH", 0, stored.c_str(), 0);
    string value, none;
    bool found = GetEnvironmentValue("marrowpath", value);
    EXPECT_EQ(tuple(status, found, value, GetEnvironmentValue("NONE", none)), tuple(0, true, stored, false));
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, "MARROWPATH");
    RegCloseKey(key);
}

// The probe: prints what a test started it for.
int Probe(const vector<string>& a)
{
    DWORD started = GetTickCount();
    bool startup = a[0] == "startup";
    QStartUp(startup && a.size() > 1 ? a[1] : " ");
    if (startup && a.size() > 2) QStartUp(a[2]);  // a second call changes nothing
    const ToolkitConfig& c = TheConfig();
    if (startup)
        printf("%dx%d %d/%d %d%d%d%d|%d|%s|%s|%d\n", c.screenWidth, c.screenHeight, c.displayColours,
               c.graduatedColours, c.isWin32s, c.isWindows95, c.isWindowsNT, c.majorVersion, ErrorReportingMode(),
               c.initFileName.str().c_str(), c.charsetDir.str().c_str(), c.printerDriver);
    if (a[0] == "comctl32") {
        const bool before = GetModuleHandleA("comctl32.dll");
        const bool started = StartCommonControls();
        printf("%d%d%d\n", before, started, GetModuleHandleA("comctl32.dll") != nullptr);
    }
    if (a[0] == "raise") {
        RaiseError(stoi(a[1]));
        printf("continued, code %d\n", QErrorInfo(1));
    }
    // sleep: a change of the environment announced to every window first, as installers do; did all answer in time?
    if (a[0] == "sleep") {
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, LPARAM("Environment"), SMTO_NORMAL, 3000, nullptr);
        Sleep(stoi(a[1]));
        WriteFile(a[2], GetTickCount() - started < 3000u + stoi(a[1]) ? "answered" : "late");
    }
    return fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && string(argv[1]) == "probe") return Probe({argv + 2, argv + argc});
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
