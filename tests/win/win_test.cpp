// The Win32 side of the toolkit and the installer, in this process under
// Wine. Dialogs and message boxes are answered from a second thread, as a
// person would. Started as "toolkit_win_tests probe ...", this program is also the
// probe for what happens once per process (start-up, a box that ends the
// run) or depends on the Windows version Wine reports for a file name.
// Test bed drives: C: and Y: fixed, D: floppy, F: network, G: CD-ROM, H: RAM disk.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/config.h"
#include "startup/startup.h"
#include "system/file_helpers.h"
#include "utilities/files.h"
#include "utilities/os.h"
#include "windows/dialogs.h"
#include "windows/dialogs_internal.h"
#include "windows/directory_browser.h"
#include "windows/events.h"
#include "windows/message_box.h"
#include "windows/root_state.h"
#include "windows/root_window.h"

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
HWND DialogWith(int control)
{
    HWND found = nullptr;
    robot::WaitUntil([&] {
        for (HWND w : robot::TopWindows(Self())) found = IsWindowVisible(w) && GetDlgItem(w, control) ? w : found;
        return found != nullptr;
    }, 10s);
    return found;
}

struct Box { std::string caption, text, defaultLabel; Strings labels; HWND owner = nullptr; HICON icon = nullptr; };

// Answers the next message box of this process with the button labelled `press`.
Box AnswerBox(const std::string& press)
{
    const robot::MessageBoxSeen seen = robot::WaitForMessageBox(Self(), 10s);
    Box box{seen.caption, seen.text, "", robot::ButtonLabels(seen.box), GetWindow(seen.box, GW_OWNER)};
    int id = 0;
    for (HWND c = GetWindow(seen.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (IsWindowVisible(c) && !box.icon) box.icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
        if ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) box.defaultLabel = robot::WindowText(c);
        if (robot::ClassName(c) == "Button" && robot::WindowText(c) == press) id = GetDlgCtrlID(c);
    }
    robot::Press(seen.box, id);
    robot::WaitUntil([&] { return !IsWindow(seen.box); }, 10s);
    return box;
}

// Runs an operation while a person answers the box it asks.
Box Asked(const std::string& press, const Operation& operation)
{
    Box seen;
    std::thread person([&] { seen = AnswerBox(press); });
    operation();
    person.join();
    return seen;
}

// ---- Root window, dialogs, events and message boxes -------------------------

class Windows : public ::testing::Test {
protected:
    void SetUp() override { OpenInstallerRootWindow(), Drain(); }
    void TearDown() override { QRootClose(); }
    static void Drain()
    {
        for (int32_t type = 0; type != kEventNone;) QEventPeek(type, record);
    }
    static inline EventRecord record{};
};

TEST_F(Windows, RootWindowAsTheInstallerOpensItAndWithAStatusBar)
{
    const LONG style = GetWindowLongA(Root(), GWL_STYLE);
    EXPECT_EQ(robot::ClassName(Root()) + "/" + robot::ClassName(TheRootState().client), "MARROWFIELD/MARWCLIENT");
    EXPECT_TRUE(IsZoomed(Root()) && (style & WS_CAPTION) && !(style & (WS_THICKFRAME | WS_SYSMENU)));
    RootSettings again;  // a second opening changes nothing
    again.title.assign("Other");
    QRootOpen(again, 16);
    EXPECT_EQ(robot::WindowText(Root()), "Installation");
    QRootTitle("Demo Product Setup" + std::string(100, 'x'));
    EXPECT_EQ(robot::WindowText(Root()), "Demo Product Setup" + std::string(80 - 18, 'x'));

    QRootClose();
    RootSettings settings;  // no size: 80 % of the screen
    settings.flags = kRootStatusBar;
    QRootOpen(settings, 128);
    RECT client{};
    GetClientRect(Root(), &client);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(1024L * 8 / 10, 768L * 8 / 10));
    SetErrorReportingMode(kReportStatusBar);
    EXPECT_EQ(CODE(QDlgSelect(4242)), 1008);
    SetErrorReportingMode(kReportSilent);
    char text[128] = {};
    SendDlgItemMessageA(Root(), 999, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Error=1008:Unable to select specified dialog");
}

TEST_F(Windows, DialogOperationsAndTheirErrors)
{
    int32_t state = -1;
    const struct { const char* what; Operation operation; int32_t code; } cases[] = {
        {"unload, none", [] { QDlgUnload(0); }, 1005}, {"title, none", [] { QDlgTitle("x"); }, 1005},
        {"show, none", [] { QDlgShow(-1, -1, 0, 2); }, 1005}, {"text, none", [] { QDlgPutText(1, "x"); }, 1005},
        {"select missing", [] { QDlgSelect(202); }, 1008}, {"load missing", [] { QDlgLoad(7777); }, 1007},
        {"load", [] { QDlgLoad(IDD_PROGRESS); }, 0}, {"range", [] { QDlgRange(IDC_PROGRESS_BAR, 0, 65535); }, 0},
        {"range 65536", [] { QDlgRange(IDC_PROGRESS_BAR, 0, 65536); }, 1013},
        {"range empty", [] { QDlgRange(IDC_PROGRESS_BAR, 7, 7); }, 1013},
        {"range below 0", [] { QDlgRange(IDC_PROGRESS_BAR, -1, 10); }, 1013},
        {"range reversed", [] { QDlgRange(IDC_PROGRESS_BAR, 10, 5); }, 1013},
        {"range of a button", [] { QDlgRange(IDCANCEL, 0, 10); }, 1006},
        {"range, no field", [] { QDlgRange(4321, 0, 10); }, 1006}, {"text, no field", [] { QDlgPutText(4321, "x"); }, 1006},
        {"progress", [] { QDlgProgress(IDC_PROGRESS_BAR, 1000), QDlgProgress(IDC_PROGRESS_BAR, 234, 1); }, 0},
        {"text", [] { QDlgPutText(IDC_PROGRESS_FROM, "From: A:\\X.DAT   "); }, 0},
        {"a child dialog is modeless", [] { QDlgShow(-1, 5000, 0, kDialogSemiModal); }, 1014},
        {"load second", [] { QDlgLoad(IDD_SYSTEM_PAGE); }, 0}, {"mode 7", [] { QDlgShow(0, 0, 0, 7); }, 1014},
        {"check of a push button", [&] { QDlgGetCheck(IDOK, state); }, 1006},
        {"check 2", [] { QDlgPutCheck(IDC_ADD_VARIABLES, 2); }, 1009},
    };
    for (const auto& c : cases) EXPECT_EQ(CODE(c.operation()), c.code) << c.what;
    HWND progress = FindWindowExA(TheRootState().client, nullptr, "#32770", nullptr);
    HWND bar = GetDlgItem(progress, IDC_PROGRESS_BAR);
    EXPECT_EQ(std::pair(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), SendMessageA(bar, PBM_GETPOS, 0, 0)), std::pair(LRESULT(65535), LRESULT(1234)));
    EXPECT_EQ(robot::ControlText(progress, IDC_PROGRESS_FROM) + "|" + std::to_string(state), "From: A:\\X.DAT|-1");
    RECT client{}, child = robot::ScreenRectOf(progress);  // placed on a 0-9999 scale of the client
    GetClientRect(TheRootState().client, &client);
    MapWindowPoints(HWND_DESKTOP, TheRootState().client, reinterpret_cast<POINT*>(&child), 2);
    EXPECT_EQ(std::pair(child.left, child.top), std::pair((client.right - (child.right - child.left)) / 2, 5000 * client.bottom / 9999));

    // The system page's boxes are ticked by its field-information block.
    for (int32_t box : {IDC_ADD_SHORTCUTS, IDC_ADD_VARIABLES, IDC_ASSOCIATE_TYPES}) {
        QDlgGetCheck(box, state = -1);
        EXPECT_EQ(state, 1) << box;
    }
    QDlgPutCheck(IDC_ADD_VARIABLES, 0), QDlgGetCheck(IDC_ADD_VARIABLES, state);
    EXPECT_EQ(state, 0);
    QDlgSelect(IDD_PROGRESS);  // loading again only selects
    QDlgLoad(IDD_SYSTEM_PAGE);
    QDlgUnload(0);
    EXPECT_EQ(QStateInfo(3), 0);
    EXPECT_EQ(CODE(QDlgSelect(IDD_SYSTEM_PAGE)), 1008);
    EXPECT_EQ(CODE(QDlgSelect(IDD_PROGRESS)), 0);
}

TEST_F(Windows, TheTableHoldsFiftyDialogs)
{
    for (int32_t id = 5000; id < 5050; ++id) EXPECT_EQ(CODE(QDlgLoad(id)), 0) << id;
    EXPECT_EQ(CODE(QDlgLoad(5050)), 1007);
    EXPECT_EQ(QStateInfo(3), 5049);  // unchanged
    QDlgSelect(5000);
    QDlgUnload(0);  // makes room; the table stays compact
    EXPECT_EQ(CODE(QDlgLoad(5050); QDlgSelect(5049)), 0);
}

TEST_F(Windows, EventsFromButtonsKeysAndRedrawsAndModalDialogs)
{
    int32_t type = 0;
    QEventPeek(type, record);
    EXPECT_TRUE(type == kEventNone && std::all_of(record.begin(), record.end(), [](int32_t word) { return word == -1; }));
    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(-1, -1, IDOK, kDialogModeless);
    HWND ok = GetDlgItem(DialogWith(IDOK), IDOK);
    Drain();
    // A click, then Escape: the cancel command, even on a page without a Cancel button.
    for (auto [message, key, button] : {std::tuple{BM_CLICK, 0, IDOK}, {WM_KEYDOWN, VK_ESCAPE, IDCANCEL}}) {
        PostMessageA(ok, message, key, 0);
        robot::WaitUntil([&] { return QEventPeek(type, record), type != kEventNone; }, 5s);
        EXPECT_EQ((std::array<int32_t, 3>{type, record[0], record[1]}), (std::array<int32_t, 3>{kEventButton, IDD_INITIAL_PAGE, button}));
    }
    // Two redraws of the root window come as one, with its client size.
    for (int i = 0; i < 2; ++i) InvalidateRect(TheRootState().client, nullptr, FALSE), UpdateWindow(TheRootState().client);
    RECT client{};
    GetClientRect(TheRootState().client, &client);
    QEventPeek(type, record);
    EXPECT_EQ((std::array<int32_t, 6>{type, record[0], record[1], record[2], record[5], record[6]}),
              (std::array<int32_t, 6>{kEventRedraw, kRootWindowNumber, client.right, client.bottom, 0, 0}));
    QEventPeek(type, record);
    EXPECT_EQ(type, kEventNone);
    // A press sent from another thread ends the wait at once, though nothing is posted behind it.
    std::atomic<bool> returned = false, late = false;
    std::thread tool([&] {
        SendMessageA(DialogWith(IDOK), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        if (!robot::WaitUntil([&] { return returned.load(); }, 2s)) late = true, PostMessageA(ok, WM_NULL, 0, 0);
    });
    QEventWait(type, record);
    returned = true;
    tool.join();
    EXPECT_FALSE(late);
    EXPECT_EQ((std::array<int32_t, 2>{type, record[1]}), (std::array<int32_t, 2>{kEventButton, IDOK}));

    // A modal dialog returns when a button is pressed; its owner is enabled again, it stays loaded.
    QDlgUnload(0);
    QDlgLoad(IDD_INITIAL_PAGE);
    std::thread person([] { robot::Press(DialogWith(IDOK), IDOK); });
    EXPECT_EQ(CODE(QDlgShow(-1, -1, IDOK, kDialogModal)), 0);
    person.join();
    EXPECT_EQ((std::array{QStateInfo(1), QStateInfo(2), QStateInfo(3)}), (std::array{IDOK, IDD_INITIAL_PAGE, IDD_INITIAL_PAGE}));
    EXPECT_TRUE(IsWindowEnabled(Root()));
}

TEST_F(Windows, MessageBoxesButtonsDefaultsIconsOwnersAndAnswers)
{
    const LPCSTR icons[] = {nullptr, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
    const struct { int32_t buttons, icon, defaultButton; Strings labels; std::string defaultLabel, press; int32_t answer; } cases[] = {
        {0, 1, 0, {"OK"}, "OK", "OK", 1}, {1, 2, 2, {"OK", "Cancel"}, "Cancel", "OK", 1},
        {2, 3, 9, {"&Retry", "Cancel"}, "Cancel", "&Retry", 1}, {3, 2, 2, {"&Yes", "&No"}, "&No", "&No", 2},
        {4, 4, 7, {"&Yes", "&No", "Cancel"}, "Cancel", "Cancel", 0},
        {5, 0, 1, {"&Abort", "&Retry", "&Ignore"}, "&Abort", "&Ignore", 0},
    };
    for (const auto& c : cases) {
        int32_t code = -1;
        const Box seen = Asked(c.press, [&] { code = CODE(QMsgBox(c.buttons, c.icon, c.defaultButton, "Message text   ", "Caption  ")); });
        EXPECT_EQ(std::tuple(seen.caption, seen.text, seen.labels, seen.defaultLabel, seen.icon, seen.owner, QStateInfo(4), code),
                  std::tuple("Caption", "Message text", c.labels, c.defaultLabel, c.icon ? LoadIconA(nullptr, icons[c.icon]) : nullptr,
                             Root(), c.answer, 0)) << c.buttons;
    }
    // Pages overlap: the next page is up before the previous one goes. The
    // latest semi-modal dialog owns the boxes, those of reported errors too.
    QDlgLoad(IDD_INITIAL_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal);
    QDlgLoad(IDD_DIRECTORY_PAGE), QDlgShow(-1, -1, 0, kDialogSemiModal);
    HWND directory = DialogWith(IDC_BROWSE);
    EXPECT_EQ(Asked("OK", [] { QMsgBox(0, 1, 1, "Owned by the directory page", "Owner"); }).owner, directory);
    QDlgSelect(IDD_INITIAL_PAGE), QDlgUnload(0);
    SetErrorReportingMode(kReportMessageBox);
    const Box error = Asked("OK", [] { EXPECT_EQ(CODE(QDlgSelect(4242)), 1008); });
    SetErrorReportingMode(kReportSilent);
    EXPECT_EQ(std::pair(error.caption, error.owner), std::pair(std::string("Library Error"), directory));
    EXPECT_FALSE(IsWindowEnabled(Root()));  // closing the box leaves the root window asleep
    QDlgSelect(IDD_DIRECTORY_PAGE), QDlgUnload(0);
    EXPECT_TRUE(IsWindowEnabled(Root()));

    DestroyWindow(Root());  // a box that cannot appear: its owner is gone behind the toolkit's back
    EXPECT_EQ(CODE(QMsgBox(0, 1, 1, "Nobody sees this", "Lost")), 1004);
    EXPECT_EQ(QStateInfo(4), -1);
}

// ---- The directory browser --------------------------------------------------

const std::string kCaption = "Select Installation Directory", kHome = "C:\\robot";
HWND List(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_LIST); }
std::string PathText(HWND browser) { return robot::ControlText(browser, IDC_BROWSE_PATH); }
bool WaitForPath(HWND browser, const std::string& path) { return robot::WaitUntil([&] { return PathText(browser) == path; }, 10s); }
// Lets the browser's thread finish what it is doing, then tells whether it is still up.
bool StillOpen(HWND browser) { return SendMessageTimeoutA(browser, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr) && IsWindowVisible(browser); }

// The items of the directory list or of the drive combo box (LB_ and CB_ messages differ).
Strings Items(HWND browser, int id, UINT count, UINT get)
{
    Strings items(std::max<LRESULT>(0, SendDlgItemMessageA(browser, id, count, 0, 0)));
    char text[MAX_PATH + 3];
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = SendDlgItemMessageA(browser, id, get, i, reinterpret_cast<LPARAM>(text)) > 0 ? text : "";
    return items;
}

// Double-clicks a directory, or chooses a drive.
void Choose(HWND browser, bool drive, const std::string& item)
{
    const int id = drive ? IDC_BROWSE_DRIVES : IDC_BROWSE_LIST;
    const LRESULT index = SendDlgItemMessageA(browser, id, drive ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, WPARAM(-1),
                                              reinterpret_cast<LPARAM>(item.c_str()));
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
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return pixels;
}

// Runs the browser with a person acting in it; the script must close it.
void Browse(int32_t flags, std::span<char> field, std::string_view caption, const std::function<void(HWND)>& script)
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
    QDlgBrowseDir(flags, field, caption);
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
    Browse(0, field, kCaption, [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser) + "|" + PathText(browser), kCaption + "|" + tree.path());
        EXPECT_EQ(Items(browser, IDC_BROWSE_LIST, LB_GETCOUNT, LB_GETTEXT), (Strings{"[..]", "[Alpha]", "[beta]", "[Gamma Long Name]"}));
        EXPECT_EQ(Items(browser, IDC_BROWSE_DRIVES, CB_GETCOUNT, CB_GETLBTEXT), (Strings{"[-c-]", "[-d-]", "[-f-]", "[-g-]", "[-h-]", "[-y-]"}));
        EXPECT_EQ(SendMessageA(List(browser), LB_GETCURSEL, 0, 0) + SendDlgItemMessageA(browser, IDC_BROWSE_DRIVES, CB_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(GetWindow(browser, GW_OWNER) == Root() && !IsWindowEnabled(Root()));
        // Drawn without the brackets: "[..]" as "x..x" would be.
        EXPECT_EQ(Drawn(browser, 0), Drawn(browser, SendMessageA(List(browser), LB_ADDSTRING, 0, LPARAM("x..x"))));
        EXPECT_NE(Drawn(browser, 0), Drawn(browser, 1));
        Choose(browser, false, "[Alpha]");
        ASSERT_TRUE(WaitForPath(browser, at("Alpha")));
        EXPECT_EQ(Items(browser, IDC_BROWSE_LIST, LB_GETCOUNT, LB_GETTEXT), (Strings{"[..]", "[Deep]"}));
        Choose(browser, false, "[..]");
        ASSERT_TRUE(WaitForPath(browser, tree.path()));
        // Enter while the list has the focus enters the selected directory; the browser stays.
        SendMessageA(List(browser), LB_SETCURSEL, 2, 0);  // [beta]
        PostMessageA(browser, WM_NEXTDLGCTL, WPARAM(List(browser)), TRUE);
        ASSERT_TRUE(robot::WaitUntil([&] { return robot::FocusedWindowOf(browser) == List(browser); }, 10s));
        PostMessageA(List(browser), WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitForPath(browser, at("beta")) && StillOpen(browser));
        Choose(browser, true, "[-d-]");
        ASSERT_TRUE(WaitForPath(browser, "D:\\"));
        robot::Press(browser, IDOK);
    });
    EXPECT_TRUE(IsWindowEnabled(Root()));
    EXPECT_EQ(std::pair(QStateInfo(4), field.str()), std::pair(1, std::string("D:\\")));
}

// A directory typed and confirmed with OK, or given as the argument.
TEST_F(Browser, EntersTypedOrGivenDirectories)
{
    struct Reply { std::string caption, text, press; LPCSTR icon; };
    const std::string create = "The specified directory does not exist.\nDo you wish to create it?";
    const Reply yes{"Create Directory?", create, "&Yes", IDI_QUESTION}, no{"Create Directory?", create, "&No", IDI_QUESTION};
    const Reply invalid{"Invalid Directory", "The specified directory does not exist.\nSpecify a valid directory.", "OK", IDI_HAND};
    const Reply failed{"Error", "An error occured creating\nthe specified directory.", "OK", IDI_EXCLAMATION};
    const std::string fresh = at("New Place") + "\\Inner";
    const struct {
        int32_t flags;
        std::string given, typed;  // given blank: the tree, then `typed` typed and OK pressed
        std::vector<Reply> replies;
        std::string result;        // blank: refused, then cancelled
        bool made;                 // New Place exists afterwards
        std::string after;         // the current directory afterwards
    } cases[] = {
        {4, "", at("beta") + "\\", {}, at("beta"), false, kHome},  // a trailing backslash
        {0, "", "d:", {}, "D:\\", false, kHome},                     // a drive: its current directory
        {4, "", fresh + "\\", {}, fresh + "\\", false, kHome},       // missing: as typed
        {64, "", fresh, {yes}, fresh, true, kHome},
        {64, "", fresh, {no}, "", false, kHome},
        {0, "", fresh, {invalid}, "", false, kHome},
        {64, "", at("notes.txt") + "\\Inner", {yes, failed}, "", false, kHome},
        {4, "", at("notes.txt"), {invalid}, "", false, kHome},        // a file
        {8, "", at("Alpha"), {}, at("Alpha"), false, at("Alpha")},   // the current directory stays where the browser went
        {4, fresh, "", {}, fresh, false, kHome},
        {0, fresh, "", {invalid}, kHome, false, kHome},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " " + c.typed + c.given);
        SetCurrentDirectoryA(kHome.c_str());
        robot::RemoveTree(at("New Place"));
        FixedText<261> field(c.given.empty() ? tree.path() : c.given);
        Browse(c.flags, field, kCaption, [&](HWND browser) {
            if (c.given.empty()) SetDlgItemTextA(browser, IDC_BROWSE_PATH, c.typed.c_str()), robot::Press(browser, IDOK);
            for (const Reply& reply : c.replies) {
                const Box box = AnswerBox(reply.press);
                EXPECT_EQ(std::tuple(box.caption, box.text, box.owner, box.icon),
                          std::tuple(reply.caption, reply.text, browser, LoadIconA(nullptr, reply.icon)));
            }
            EXPECT_TRUE(c.given.empty() || WaitForPath(browser, c.result)) << PathText(browser);
            EXPECT_TRUE(!c.given.empty() || !c.result.empty() || (StillOpen(browser) && PathText(browser) == c.typed));
            robot::Press(browser, c.result.empty() ? IDCANCEL : IDOK);
        });
        char current[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(sizeof current, current);
        EXPECT_EQ(std::tuple(QStateInfo(4), field.str(), robot::DirectoryExists(at("New Place")), std::string(current)),
                  std::tuple(c.result.empty() ? 0 : 1, c.result.empty() ? tree.path() : c.result, c.made, c.after));
    }
}

// Blank arguments, over a dialog of the program; then without an owner.
TEST_F(Browser, StartsInTheCurrentDirectoryOwnedByTheCurrentDialog)
{
    QDlgLoad(IDD_DIRECTORY_PAGE), QDlgShow(-1, 0, 0, kDialogSemiModal);
    HWND page = DialogWith(IDC_BROWSE);
    SetCurrentDirectoryA(at("Alpha").c_str());
    FixedText<12> field;
    Browse(0, field, "   ", [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser), "Select Directory");  // the dialog's own
        EXPECT_TRUE(WaitForPath(browser, at("Alpha")) && GetWindow(browser, GW_OWNER) == page && !IsWindowEnabled(page));
        robot::Press(browser, IDOK);
    });
    EXPECT_EQ(std::tuple(QStateInfo(4), std::string(field.view()), IsWindowEnabled(page)), std::tuple(1, at("Alpha").substr(0, 12), TRUE));
    EXPECT_EQ(Asked("OK", [] { QMsgBox(kButtonsOk, 0, 1, "After the browser", "Owner"); }).owner, page);  // the page's again

    DestroyWindow(Root());  // the owner is gone behind the toolkit's back: Windows refuses the browser
    SetStateWord(4, 1);
    EXPECT_EQ(CODE(QDlgBrowseDir(0, field, kCaption)), 1007);
    EXPECT_EQ(std::pair(QStateInfo(4), std::string(field.view())), std::pair(0, at("Alpha").substr(0, 12)));
}

// The 95 family lists and reports short names; the browser shows long ones.
// Runs again in a copy of this program that Wine presents as Windows 95.
TEST_F(Browser, LongNamesOn95)
{
    if (PlatformCode() != kPlatformWindows95) {
        ASSERT_TRUE(CopyFileA(Me().c_str(), (tree / "browser95.exe").c_str(), FALSE));
        robot::SetWineVersionFor("browser95.exe", "win95");
        const robot::RunResult r = robot::Run(tree / "browser95.exe --gtest_filter=Browser.LongNamesOn95", {}, 60s);
        EXPECT_NE(r.output.find("[  PASSED  ] 1 test"), std::string::npos) << r.output;
        return;
    }
    char shortName[MAX_PATH] = {};
    CreateDirectoryA(at("Gamma Long Name\\Inner Long Folder").c_str(), nullptr);
    GetShortPathNameA(at("Gamma Long Name\\Inner Long Folder").c_str(), shortName, MAX_PATH);
    const std::string shortInner = shortName, shortItem = "[" + shortInner.substr(shortInner.rfind('\\') + 1) + "]";
    ASSERT_EQ(shortInner.find("Long"), std::string::npos) << shortInner;  // both names short
    FixedText<261> field(shortInner.substr(0, shortInner.rfind('\\')));
    Browse(0, field, kCaption, [&](HWND browser) {
        EXPECT_EQ(PathText(browser), at("Gamma Long Name"));
        const LRESULT listed = SendMessageA(List(browser), LB_ADDSTRING, 0, LPARAM(shortItem.c_str()));  // as the 95 family lists it
        EXPECT_EQ(Drawn(browser, listed), Drawn(browser, SendMessageA(List(browser), LB_ADDSTRING, 0, LPARAM("[Inner Long Folder]"))));
        robot::Press(browser, IDOK);
    });
    EXPECT_EQ(field.str(), at("Gamma Long Name"));
}

// ---- Operating-system operations and block files -----------------------------

class Os : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentDirectoryA("C:\\"); }
    robot::ScratchDirectory dir{"os"};
};

TEST_F(Os, DirectoriesDeletionAndListings)
{
    // Cut to 255 characters, a longer path would name another file or directory: it fails and touches nothing.
    const std::string d = dir.path(), longFile = d + "\\" + std::string(254 - d.size(), 'f');
    const std::string longDir = d + "\\" + std::string(254 - d.size(), 'd');
    for (std::string name : {"a.txt", "ab.txt", "c.dat", "x1.dat", "t.txt"}) robot::WriteFile(dir / name, std::string(1234, 'x'));
    robot::WriteFile(longFile, "keep");
    for (std::string name : {longDir, dir / "d.txt", dir / "sub"}) CreateDirectoryA(name.c_str(), nullptr);
    const struct { std::string path; bool exists; } exists[] = {
        {"\\", true}, {"  \\  ", true}, {"c:\\", true}, {"G:\\", true}, {"Q:\\", false}, {"    ", false},
        {"  " + (dir / "sub") + "\\  ", true}, {dir / "missing\\", false}, {dir / "c.dat", false}, {longDir, true}, {longDir + "x", false},
    };
    for (const auto& c : exists) EXPECT_EQ(QOsDirExists(c.path), c.exists) << '[' << c.path << ']';

    DirListEntry entries[5];
    const struct { const char* kind; std::string directory, pattern; int32_t max; Strings names; } lists[] = {
        {"F", d, "?*.txt", 5, {"a.txt", "ab.txt", "t.txt"}}, {"d", d + "\\", "*.txt", 5, {"d.txt"}},
        {"B", d, "?.txt", 5, {"a.txt", "d.txt", "t.txt"}}, {"b", d, "?.txt", 2, {"?", "?"}}, {"F", d, "none*", 5, {}},
        {"f", "", dir / "t.txt", 1, {"t.txt"}},  // a blank directory: the pattern alone
    };
    for (const auto& c : lists) {
        int32_t count = -1;
        QOsDirListKind(c.kind);
        EXPECT_EQ(CODE(QOsDirList(c.directory, c.pattern, entries, c.max, count)), 0);
        Strings names;
        for (int i = 0; i < count; ++i) names.push_back(i < int(c.names.size()) && c.names[i] == "?" ? "?" : entries[i].name.str());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.names) << c.kind << ' ' << c.pattern << ' ' << c.max;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(std::pair(entries[0].size, (entries[0].dosDateTime >> 25) + 1980), std::pair(int64_t(1234), int32_t(now.wYear)));

    const struct { const char* what; Operation operation; int32_t code, windowsError; } cases[] = {
        {"make", [&] { QOsDirMake(dir / "one"); }, 0, 0},
        {"make below a missing one", [&] { QOsDirMake(dir / "missing\\two"); }, 13, ERROR_PATH_NOT_FOUND},
        {"make again", [&] { QOsDirMake(dir / "one"); }, 13, ERROR_ALREADY_EXISTS},
        {"make too long", [&] { QOsDirMake(longDir + "e"); }, 13, ERROR_FILENAME_EXCED_RANGE},
        {"change too long", [&] { QOsDirChange(longDir + "x"); }, 13, ERROR_FILENAME_EXCED_RANGE},
        {"change to a missing one", [&] { QOsDirChange(dir / "missing"); }, 13, ERROR_FILE_NOT_FOUND},
        {"delete too long", [&] { QOsDelete(longFile + "x"); }, 13, ERROR_FILENAME_EXCED_RANGE},
        {"delete, directories stay", [&] { QOsDelete(dir / "*.txt"); }, 0, 0},
        {"delete ?", [&] { QOsDelete(dir / "?.dat"); }, 0, 0},
        {"delete nothing", [&] { QOsDelete(dir / "nothing*.here"); }, 13, ERROR_FILE_NOT_FOUND},
        {"delete blank", [&] { QOsDelete("   "); }, 0, 0},
        {"delete in the current directory", [&] { QOsDirChange(d), QOsDelete("x1.dat"); }, 0, 0},
        {"delete the significant part", [&] { QOsDelete("   " + longFile + "   "); }, 0, 0},
        {"execute too long", [&] { QOsExecute(std::string(256, 'c')); }, 13, ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : cases) EXPECT_EQ(ERRORS(c.operation()), (std::array<int32_t, 3>{c.code, 0, c.windowsError})) << c.what;
    for (std::string name : {dir / "a.txt", dir / "ab.txt", dir / "c.dat", dir / "x1.dat", longFile}) EXPECT_FALSE(robot::FileExists(name)) << name;
    EXPECT_TRUE(robot::DirectoryExists(dir / "d.txt") && robot::DirectoryExists(dir / "one") && robot::DirectoryExists(longDir));
    FixedText<261> current;
    char small[5];
    QOsDirCurrent(current), QOsDirCurrent(small);
    EXPECT_EQ(std::tuple(current.str(), std::string(small, 5), QOsInfo(9)), std::tuple(d, d.substr(0, 5), 0));
    QOsDirChange("C:\\");
    EXPECT_EQ(QOsInfo(9), -1);  // the root of a drive
}

TEST_F(Os, InfoItemsDriveTypesArgumentsAndPlatforms)
{
    const struct { int32_t item, value; } cases[] = {
        {1, 6}, {4, 42}, {5, 63}, {6, 92}, {7, 0}, {8, 1}, {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 1}, {18, 1},
        {0, 0}, {19, 0}, {64, 0}, {91, 0}, {-1, 0}, {'A', 0}, {'C', 2}, {'D', 1}, {'E', 0}, {'F', 3}, {'G', 4},
        {'H', 5}, {'Y', 2}, {'Z', 0}, {16, kPlatformWindowsNT},  // Wine's default for other programs: Windows 7
    };
    for (const auto& c : cases) EXPECT_EQ(QOsInfo(c.item), c.value) << "item " << c.item;
    for (std::string version : {"win31", "win95", "nt40"}) {
        ASSERT_TRUE(CopyFileA(Me().c_str(), (dir / version + ".exe").c_str(), FALSE));
        robot::SetWineVersionFor(version + ".exe", version);
        EXPECT_EQ(robot::Run(dir / version + ".exe probe 16").output, version == "win31" ? "2\n" : version == "win95" ? "3\n" : "4\n");
    }
    FixedText<261> text("junk");
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    QOsArgument(0, text);
    EXPECT_EQ(text.str(), self);
    QOsArgument(99, text);
    EXPECT_TRUE(text.blank());
}

TEST_F(Os, Execution)
{
    const std::string me = '"' + Me() + "\" probe sleep ";
    // A wait that runs out of time fails with 1034; the program goes on and ends by itself. While it waits, the
    // caller's windows answer what other threads send them.
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    LRESULT answered = 0;
    std::thread sender([&] { answered = SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 3000, nullptr); });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(CODE(QOsExecute(me + "4000 " + (dir / "slept"), kExecuteWait | kExecuteHidden, 1)), 1034);
    sender.join();
    EXPECT_TRUE(answered != 0 && DestroyWindow(window));
    EXPECT_TRUE(std::chrono::steady_clock::now() - started < 3500ms && !robot::FileExists(dir / "slept"));
    EXPECT_EQ(CODE(QOsExecute(me + "0 " + (dir / "waited"), kExecuteWait | kExecuteHidden)), 0);
    EXPECT_TRUE(robot::FileExists(dir / "waited"));  // there as soon as the call returns
    EXPECT_EQ(CODE(QOsExecute(me + "300 " + (dir / "later"), kExecuteHidden); QOsExecute("   ")), 0);
    EXPECT_FALSE(robot::FileExists(dir / "later"));
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::FileExists(dir / "later") && robot::FileExists(dir / "slept"); }, 20s));
    for (int32_t options : {kExecuteHidden, kExecuteWait})
        EXPECT_EQ(ERRORS(QOsExecute("C:\\no\\such\\program.exe", options)), (std::array{13, 0, 2})) << options;
}

TEST_F(Os, BlockFiles)
{
    const std::string path = dir / "data.bin";
    robot::WriteFile(path, std::string(1000, 'a'));
    const struct { std::string name; int32_t mode, detail; } failures[] = {
        {dir / "missing.txt", kFileRead, ERROR_FILE_NOT_FOUND}, {dir / "missing.txt", kFileReadWrite, ERROR_FILE_NOT_FOUND},
        {dir / "nodir\\new.txt", kFileCreate, ERROR_PATH_NOT_FOUND}, {"     ", kFileRead, 0}, {path, 3, 0}, {path, -1, 0},
        {dir / std::string(300, 'n'), kFileCreate, ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : failures) {
        int32_t handle = 77;
        EXPECT_EQ(ERRORS(QFileOpen(c.name, c.mode, handle)), (std::array{1, c.detail, 0})) << c.name << c.mode;
        EXPECT_EQ(handle, -1) << c.name << c.mode;
    }
    EXPECT_FALSE(robot::FileExists((dir / std::string(300, 'n')).substr(0, 255)));

    // Opens, seeks (origin, offset, the position after it or -1) and writes, in sequence.
    const struct { std::string name; int32_t mode; std::vector<std::array<int32_t, 3>> seeks; const char* write; BOOL written; } steps[] = {
        {"  " + path + "  ", kFileRead, {{kSeekEnd, 0, 1000}, {kSeekStart, -10, -1}}, "b", FALSE},
        {path, kFileReadWrite, {{kSeekStart, 10, 10}, {kSeekCurrent, 5, 15}, {3, 123, 123}}, "b", TRUE},
        {path, kFileCreate, {{kSeekEnd, 0, 0}}, "new", TRUE},
    };
    for (const auto& s : steps) {
        int32_t handle = -1;
        QFileOpen(s.name, s.mode, handle);
        for (auto [origin, offset, after] : s.seeks) {
            EXPECT_EQ(CODE(QFileSeek(handle, offset, origin)), after < 0 ? 2 : 0) << s.mode << origin;
            EXPECT_EQ(offset, after) << s.mode << origin;
        }
        DWORD n = 0;
        EXPECT_EQ(WriteFile(HANDLE(intptr_t(handle)), s.write, DWORD(strlen(s.write)), &n, nullptr), s.written) << s.mode;
        EXPECT_EQ(CODE(QFileClose(handle)), 0) << s.mode;
        if (s.mode == kFileReadWrite) {
            EXPECT_EQ(robot::ReadFile(path), std::string(15, 'a') + 'b' + std::string(984, 'a'));
        }
    }
    EXPECT_EQ(robot::ReadFile(path), "new");  // create empties the file
    int32_t offset = 0;
    EXPECT_EQ(ERRORS(QFileSeek(-1, offset, kSeekEnd)), (std::array{2, int32_t(ERROR_INVALID_HANDLE), 0}));
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(CODE(QFileClose(-1)), 3);
}

// ---- Start-up and error reporting, each in a probe of its own ------------------

TEST(StartUp, FilesEnvironmentReportingModesAndBoxes)
{
    robot::ScratchDirectory dir("startup");
    robot::WriteFile(dir / "other.ini", "PRINTER = 4\n");
    robot::WriteFile(dir / "mine.ini", "PRINTER = 5\n");
    // What every start-up prints first: screen, colours, platform, application, character set, plotter.
    const std::string fixed = "1024x768 16777216/256 0016 Marrowfield standard.chr 11|", library = "Error=1008:Unable to select specified dialog";
    const std::string ini = "  debug = 1\r\nPLNAME = big.plt\r\n\tCHARDIR\t= C:\\FONTS\r\nPRINTER = laser\r\nLFNPLOTOUT = 50\r\nLFNGEN = 41\r\nDBG = 4\r\nDE = 4\r\n";
    struct Answer { std::string caption, text; Strings labels; int press; };
    const Answer version{"Marrowfield", "Abnormal exit (code 0) :Marrowfield version 2.20", {"OK"}, IDOK};
    const Answer ok{"Library Error", library, {"OK", "Cancel"}, IDOK}, cancel{"Library Error", library, {"OK", "Cancel"}, IDCANCEL};
    const struct {
        std::string args, debug, init, chdir, marrowIni;  // MARWDEBUG, MARWINIT, QRVCHDIR, marrow.ini
        std::vector<Answer> boxes;
        DWORD exitCode;
        std::string output, debugFile = "", debugText = "";  // printed, and the debug file and its text
    } cases[] = {
        {"startup", "", "", "", "", {}, 0, fixed + "0|40 41 42|marrow.ini|quorvant.plt||28\r\n"},
        {"startup", "", "", "", ini, {}, 0, fixed + "1|41 50 42|marrow.ini|big.plt|C:\\FONTS\\|28\r\n"},
        {"startup", "", "other.ini", "D:\\CHR", "PRINTER = 3\n", {}, 0, fixed + "0|40 41 42|other.ini|quorvant.plt|D:\\CHR\\|4\r\n"},
        {"startup mine.ini other.ini", "", "", "", "PRINTER = 3\n", {}, 0, fixed + "0|40 41 42|marrow.ini|quorvant.plt||5\r\n"},
        {"startup nosuch.ini", "", "", "", "PRINTER = 3\n", {}, 0, fixed + "0|40 41 42|marrow.ini|quorvant.plt||3\r\n"},
        {"startup", "", "", "", "PRINTER = 3\nVERSION = please\n", {version}, 1, ""},
        {"raise 1007", "1", "", "", "", {}, 0, "Error=1007:Unable to load dialog from resource\r\ncontinued, code 1007\r\n"},
        {"raise 13", "2", "", "", "", {}, 0, "continued, code 13\r\n", "debug", "Error=  13:Operating system command error in an OS routine\r\n"},
        {"raise 1008", "2", "", "", "", {}, 0, "continued, code 1008\r\n", "debug.txt", library + "\r\n"},  // "debug" is a directory
        {"raise 12", "7", "", "", "", {}, 0, "continued, code 12\r\n"},  // anything but 0 to 4: silent
        {"raise 12", "2", "", "", "DEBUG = 1\n", {}, 0, "Error=  12:Invalid character detected\r\ncontinued, code 12\r\n"},
        {"raise 1008", "4", "", "", "", {ok}, 0, "continued, code 1008\r\n"},
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

TEST(Installer, InstallableDrivesAndSteps)
{
    const struct { const char* root; int32_t installable, type; } cases[] = {
        {"C:\\", 1, DRIVE_FIXED}, {"F:\\", 1, DRIVE_REMOTE}, {"Y:\\", 1, DRIVE_FIXED}, {"D:\\", 0, DRIVE_REMOVABLE},
        {"G:\\", 0, DRIVE_CDROM}, {"H:\\", 0, DRIVE_RAMDISK}, {"Q:\\", 0, DRIVE_NO_ROOT_DIR},
    };
    for (const auto& c : cases) {
        int32_t installable = 7;
        EXPECT_EQ(IsInstallableDrive(installable, c.root, 4), c.type) << c.root;
        EXPECT_EQ(installable, c.installable) << c.root;
    }
    InstallState& state = TheInstallState() = InstallState{};
    Logical runOK = kFalse;
    FindInstallableDrives(runOK);
    std::string directory = robot::ProgramDirectory() + "\\";
    CharUpperA(directory.data());
    EXPECT_EQ(std::tuple(runOK, state.sourceDir.str(), state.sourceDirLength, state.isWindowsNT, state.isWin32s, state.installableDriveCount),
              std::tuple(kTrue, directory, int32_t(directory.size()), kTrue, kFalse, 3));
    EXPECT_EQ(state.installableDrives[0].str() + state.installableDrives[1].str() + state.installableDrives[2].str(), "C:F:Y:");

    OpenInstallerRootWindow();
    for (int32_t step : {0, -1, 7, -3, 3, -3}) {
        ShowStep(step, runOK = kFalse);
        EXPECT_EQ(std::pair(runOK, QStateInfo(3)), std::pair(kTrue, step == 3 ? IDD_PROGRESS : 0)) << step;
    }
    EXPECT_EQ(CODE(QDlgSelect(IDD_PROGRESS)), 1008);  // unloaded by step -3
    QRootClose();
}

// The probe: prints what a test started it for.
int Probe(const Strings& a)
{
    QStartUp(a[0] == "startup" && a.size() > 1 ? a[1] : " ");
    if (a[0] == "startup" && a.size() > 2) QStartUp(a[2]);  // a second call changes nothing
    const ToolkitConfig& c = TheConfig();
    if (a[0] == "startup")
        std::printf("%dx%d %d/%d %d%d%d%d %s %s %d|%d|%d %d %d|%s|%s|%s|%d\n", c.screenWidth, c.screenHeight, c.displayColours,
                    c.graduatedColours, c.isWin32s, c.isWindows95, c.isWindowsNT, c.majorVersion, c.applicationName.str().c_str(),
                    c.charsetFile.str().c_str(), c.plotterDriver, ErrorReportingMode(), c.generalUnit, c.plotOutputUnit,
                    c.plotInputUnit, c.initFileName.str().c_str(), c.plotterFile.str().c_str(), c.charsetDir.str().c_str(), c.printerDriver);
    if (a[0] == "raise") RaiseError(std::stoi(a[1])), std::printf("continued, code %d\n", QErrorInfo(1));
    if (a[0] == "16") std::printf("%d\n", QOsInfo(16));
    if (a[0] == "sleep") Sleep(std::stoi(a[1])), robot::WriteFile(a[2], "");
    return std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "probe") return Probe(Strings(argv + 2, argv + argc));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
