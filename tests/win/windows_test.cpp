// The root window, dialogs, message boxes and events, in this process under
// Wine. Message boxes are answered from a second thread, as a person would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>

#include "errors/errors.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/startup.h"
#include "windows/dialogs.h"
#include "windows/events.h"
#include "graphics/graphics.h"
#include "windows/message_box.h"
#include "windows/root_state.h"
#include "windows/root_window.h"

namespace {

void OpenInstallerRoot()
{
    QStartUp(" ");
    RootSettings root;
    root.flags = kRootMaximised | kRootFixedSize;
    root.width = QScreenInfo(1);
    root.height = QScreenInfo(2);
    root.title.assign("Installation");
    QRootOpen(root, 128);
}

// Takes every event already waiting, so that a test starts from an empty queue.
void DrainEvents()
{
    int32_t type = 0;
    EventRecord record{};
    do QEventPeek(type, record);
    while (type != kEventNone);
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenInstallerRoot();
        while (QStateInfo(3) != 0) QDlgUnload(0);
        for (int item : {1, 2, 3}) QErrorInfo(item);
        DrainEvents();
    }
    void TearDown() override
    {
        // Unload everything still loaded, whichever is current.
        for (int32_t id : {101, 104, 202, 203, 205, 206}) {
            QDlgSelect(id);
            if (QErrorInfo(1) == 0) QDlgUnload(0);
        }
        for (int32_t id = 5000; id <= 5050; ++id) {
            QDlgSelect(id);
            if (QErrorInfo(1) == 0) QDlgUnload(0);
        }
        DrainEvents();
    }
    static HWND Root() { return TheRootState().window; }
};

TEST_F(Windows, RootWindowAsTheInstallerOpensIt)
{
    HWND root = Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(robot::ClassName(root), "MARROWFIELD");
    EXPECT_EQ(robot::WindowText(root), "Installation");
    EXPECT_TRUE(IsZoomed(root));
    const LONG style = GetWindowLongA(root, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);  // fixed size
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_EQ(robot::ClassName(TheRootState().client), "MARWCLIENT");
    EXPECT_EQ(TheRootState().statusBar, nullptr);
    EXPECT_EQ(QScreenInfo(1), 1024);
    EXPECT_EQ(QScreenInfo(2), 768);
    EXPECT_EQ(QScreenInfo(3), 16777216);

    RootSettings again;  // a second opening changes nothing
    again.title.assign("Other");
    QRootOpen(again, 16);
    EXPECT_EQ(Root(), root);
    EXPECT_EQ(robot::WindowText(root), "Installation");

    QRootTitle("Demo Product Setup" + std::string(100, 'x'));
    EXPECT_EQ(robot::WindowText(root), "Demo Product Setup" + std::string(80 - 18, 'x'));
}

TEST_F(Windows, RootWindowWithStatusBarShowsReports)
{
    QRootClose();
    EXPECT_EQ(Root(), nullptr);
    RootSettings settings;
    settings.flags = kRootStatusBar | kRootSystemMenu;
    settings.width = 0;  // 80 % of the screen
    settings.height = 0;
    settings.title.assign("With status");
    QRootOpen(settings, 128);
    ASSERT_NE(Root(), nullptr);
    ASSERT_NE(TheRootState().statusBar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(TheRootState().statusBar), 999);
    RECT client{};
    GetClientRect(Root(), &client);
    EXPECT_EQ(client.right, 1024 * 8 / 10);
    EXPECT_EQ(client.bottom, 768 * 8 / 10);
    RECT frame{};
    GetWindowRect(Root(), &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, 512, 1);  // centred
    EXPECT_TRUE(GetWindowLongA(Root(), GWL_STYLE) & WS_SYSMENU);

    SetErrorReportingMode(kReportStatusBar);
    QDlgSelect(4242);
    SetErrorReportingMode(kReportSilent);
    EXPECT_EQ(QErrorInfo(1), 1008);
    char text[128] = {};
    SendMessageA(TheRootState().statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Error=1008:Unable to select specified dialog");

    QRootClose();
    OpenInstallerRoot();
}

TEST_F(Windows, DialogOperationsAndTheirErrors)
{
    struct Case {
        const char* what;
        void (*operation)();
        int32_t code;
    } withoutDialog[] = {
        {"unload", [] { QDlgUnload(0); }, 1005},
        {"title", [] { QDlgTitle("x"); }, 1005},
        {"show", [] { QDlgShow(-1, -1, 0, 2); }, 1005},
        {"text", [] { QDlgPutText(1, "x"); }, 1005},
        {"range", [] { QDlgRange(1003, 0, 10); }, 1005},
        {"select missing", [] { QDlgSelect(202); }, 1008},
        {"load missing", [] { QDlgLoad(7777); }, 1007},
    };
    for (const Case& c : withoutDialog) {
        c.operation();
        EXPECT_EQ(QErrorInfo(1), c.code) << c.what;
    }
    EXPECT_EQ(QStateInfo(3), 0);

    QDlgLoad(IDD_PROGRESS);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(QStateInfo(3), IDD_PROGRESS);
    HWND bar = GetDlgItem(FindWindowExA(TheRootState().client, nullptr, "#32770", nullptr), IDC_PROGRESS_BAR);
    ASSERT_NE(bar, nullptr);
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);  // from the field-information block
    EXPECT_EQ(range.iHigh, 100);

    struct RangeCase {
        int32_t field, minimum, maximum, code;
    } ranges[] = {
        {IDC_PROGRESS_BAR, 0, 65535, 0}, {IDC_PROGRESS_BAR, 0, 65536, 1013}, {IDC_PROGRESS_BAR, 7, 7, 1013},
        {IDC_PROGRESS_BAR, -1, 10, 1013}, {IDC_PROGRESS_BAR, 10, 5, 1013}, {IDCANCEL, 0, 10, 1006},
        {4321, 0, 10, 1006},
    };
    for (const RangeCase& c : ranges) {
        QDlgRange(c.field, c.minimum, c.maximum);
        EXPECT_EQ(QErrorInfo(1), c.code) << c.field << ' ' << c.minimum << ' ' << c.maximum;
    }
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iHigh, 65535);
    QDlgProgress(IDC_PROGRESS_BAR, 1000);
    QDlgProgress(IDC_PROGRESS_BAR, 234, 1);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 1234);

    QDlgPutText(IDC_PROGRESS_FROM, "From: A:\\X.DAT   ");
    EXPECT_EQ(robot::WindowText(GetDlgItem(GetParent(bar), IDC_PROGRESS_FROM)), "From: A:\\X.DAT");
    QDlgPutText(4321, "x");
    EXPECT_EQ(QErrorInfo(1), 1006);

    QDlgLoad(IDD_SYSTEM_PAGE);
    EXPECT_EQ(QStateInfo(3), IDD_SYSTEM_PAGE);
    for (int32_t box : {IDC_ADD_SHORTCUTS, IDC_ADD_VARIABLES, IDC_ASSOCIATE_TYPES}) {
        int32_t state = -1;
        QDlgGetCheck(box, state);
        EXPECT_EQ(state, 1) << box;  // set by the block
    }
    QDlgPutCheck(IDC_ADD_VARIABLES, 0);
    int32_t state = -1;
    QDlgGetCheck(IDC_ADD_VARIABLES, state);
    EXPECT_EQ(state, 0);
    QDlgGetCheck(IDOK, state);  // a push button has no check
    EXPECT_EQ(QErrorInfo(1), 1006);
    QDlgFieldState(IDC_ADD_SHORTCUTS, 0);
    HWND shortcuts = nullptr;
    for (HWND w : robot::TopWindows(GetCurrentProcessId()))
        if (HWND box = GetDlgItem(w, IDC_ADD_SHORTCUTS)) shortcuts = box;
    ASSERT_NE(shortcuts, nullptr);
    EXPECT_FALSE(IsWindowEnabled(shortcuts));
    QDlgFieldState(IDC_ADD_SHORTCUTS, 1);
    EXPECT_TRUE(IsWindowEnabled(shortcuts));

    QDlgSelect(IDD_PROGRESS);  // loading again only selects
    QDlgLoad(IDD_SYSTEM_PAGE);
    EXPECT_EQ(QStateInfo(3), IDD_SYSTEM_PAGE);
    QDlgUnload(0);
    EXPECT_EQ(QStateInfo(3), 0);
    QDlgSelect(IDD_SYSTEM_PAGE);
    EXPECT_EQ(QErrorInfo(1), 1008);
    QDlgSelect(IDD_PROGRESS);
    EXPECT_EQ(QErrorInfo(1), 0);
}

TEST_F(Windows, TheTableHoldsFiftyDialogs)
{
    for (int32_t id = 5000; id < 5050; ++id) QDlgLoad(id);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(QStateInfo(3), 5049);
    QDlgLoad(5050);
    EXPECT_EQ(QErrorInfo(1), 1007);
    EXPECT_EQ(QStateInfo(3), 5049);  // unchanged
    // Unloading one makes room; the table stays compact.
    QDlgSelect(5000);
    QDlgUnload(0);
    QDlgLoad(5050);
    EXPECT_EQ(QErrorInfo(1), 0);
    QDlgSelect(5049);
    EXPECT_EQ(QErrorInfo(1), 0);
}

RECT WindowRectOf(HWND w)
{
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

TEST_F(Windows, ShowPlacesPopupsOnTheScreenAndChildrenInTheRootWindow)
{
    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(-1, 768 / 5, IDOK, kDialogModeless);
    EXPECT_EQ(QErrorInfo(1), 0);
    HWND page = robot::WaitForWindow(GetCurrentProcessId(), "", "#32770", std::chrono::seconds(5));
    ASSERT_NE(page, nullptr);
    RECT r = WindowRectOf(page);
    EXPECT_NEAR(r.left, (1024 - (r.right - r.left)) / 2, 1);
    EXPECT_EQ(r.top, 768 / 5);
    EXPECT_EQ(GetFocus(), GetDlgItem(page, IDOK));
    EXPECT_TRUE(IsWindowEnabled(Root()));  // modeless
    QDlgUnload(0);

    QDlgLoad(IDD_RESTART);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
    HWND restart = robot::WaitForWindow(GetCurrentProcessId(), "Restart Machine", "#32770", std::chrono::seconds(5));
    ASSERT_NE(restart, nullptr);
    r = WindowRectOf(restart);
    EXPECT_NEAR(r.left, (1024 - (r.right - r.left)) / 2, 1);
    EXPECT_NEAR(r.top, (768 - (r.bottom - r.top)) / 2, 1);
    EXPECT_FALSE(IsWindowEnabled(Root()));  // semi-modal
    QDlgUnload(0);
    EXPECT_TRUE(IsWindowEnabled(Root()));

    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(0, 0, 0, 7);
    EXPECT_EQ(QErrorInfo(1), 1014);

    // A child-style template: always modeless, placed on a 0-9999 scale of the client.
    QDlgLoad(IDD_PROGRESS);
    QDlgShow(-1, 5000, 0, kDialogSemiModal);
    EXPECT_EQ(QErrorInfo(1), 1014);
    HWND progress = FindWindowExA(TheRootState().client, nullptr, "#32770", nullptr);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(IsWindowVisible(progress));
    EXPECT_TRUE(IsWindowEnabled(Root()));
    RECT client{};
    GetClientRect(TheRootState().client, &client);
    RECT child = WindowRectOf(progress);
    MapWindowPoints(HWND_DESKTOP, TheRootState().client, reinterpret_cast<POINT*>(&child), 2);
    EXPECT_NEAR(child.left, (client.right - (child.right - child.left)) / 2, 1);
    EXPECT_EQ(child.top, 5000 * client.bottom / 9999);
}

TEST_F(Windows, EventsFromButtonsKeysAndRedraws)
{
    int32_t type = 0;
    EventRecord record{};
    QEventPeek(type, record);
    EXPECT_EQ(type, kEventNone);
    for (int32_t word : record) EXPECT_EQ(word, -1);

    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(-1, -1, IDOK, kDialogModeless);
    HWND page = robot::WaitForWindow(GetCurrentProcessId(), "", "#32770", std::chrono::seconds(5));
    ASSERT_NE(page, nullptr);
    DrainEvents();
    PostMessageA(GetDlgItem(page, IDOK), BM_CLICK, 0, 0);
    QEventWait(type, record);
    EXPECT_EQ(type, kEventButton);
    EXPECT_EQ(record[0], IDD_INITIAL_PAGE);
    EXPECT_EQ(record[1], IDOK);

    // Escape is the cancel command, even on a page without a Cancel button.
    PostMessageA(GetDlgItem(page, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    QEventWait(type, record);
    EXPECT_EQ(type, kEventButton);
    EXPECT_EQ(record[1], IDCANCEL);

    // Two redraws of the root window come as one, with its client size.
    DrainEvents();
    InvalidateRect(TheRootState().client, nullptr, FALSE);
    UpdateWindow(TheRootState().client);
    InvalidateRect(TheRootState().client, nullptr, FALSE);
    UpdateWindow(TheRootState().client);
    QEventPeek(type, record);
    EXPECT_EQ(type, kEventRedraw);
    RECT client{};
    GetClientRect(TheRootState().client, &client);
    EXPECT_EQ(record[0], kRootWindowNumber);
    EXPECT_EQ(record[1], client.right);
    EXPECT_EQ(record[2], client.bottom);
    EXPECT_EQ(record[5], 0);
    EXPECT_EQ(record[6], 0);
    QEventPeek(type, record);
    EXPECT_EQ(type, kEventNone);
}

struct BoxSeen {
    std::string caption, text;
    std::vector<std::string> labels;
    std::string defaultLabel;
    HWND owner = nullptr;
    bool hasIcon = false;
};

// Answers the next message box of this process with the button labelled answer.
std::thread AnswerBox(BoxSeen& seen, std::string answer)
{
    return std::thread([&seen, answer] {
        robot::MessageBoxSeen box = robot::WaitForMessageBox(GetCurrentProcessId(), std::chrono::seconds(10));
        if (!box.box) return;
        seen.caption = box.caption;
        seen.text = box.text;
        seen.owner = GetWindow(box.box, GW_OWNER);
        seen.labels = robot::ButtonLabels(box.box);
        int answerId = 0;
        for (HWND c = GetWindow(box.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (robot::ClassName(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                IsWindowVisible(c) && SendMessageA(c, STM_GETICON, 0, 0) != 0)
                seen.hasIcon = true;
            if (robot::ClassName(c) != "Button") continue;
            if ((GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultLabel = robot::WindowText(c);
            if (robot::WindowText(c) == answer) answerId = GetDlgCtrlID(c);
        }
        robot::Press(box.box, answerId);
    });
}

TEST_F(Windows, MessageBoxesButtonsDefaultsAndAnswers)
{
    struct Case {
        int32_t buttons, icon, defaultButton;
        std::vector<std::string> labels;
        std::string defaultLabel;
        std::string press;
        int32_t answer;
    } cases[] = {
        {0, 1, 0, {"OK"}, "OK", "OK", 1},
        {1, 2, 1, {"OK", "Cancel"}, "OK", "Cancel", 0},
        {1, 2, 2, {"OK", "Cancel"}, "Cancel", "OK", 1},
        {2, 3, 9, {"&Retry", "Cancel"}, "Cancel", "&Retry", 1},
        {3, 2, 2, {"&Yes", "&No"}, "&No", "&No", 2},
        {3, 2, 1, {"&Yes", "&No"}, "&Yes", "&Yes", 1},
        {4, 4, 2, {"&Yes", "&No", "Cancel"}, "&No", "Cancel", 0},
        {4, 4, 7, {"&Yes", "&No", "Cancel"}, "Cancel", "&Yes", 1},
        {5, 1, 1, {"&Abort", "&Retry", "&Ignore"}, "&Abort", "&Abort", 2},
        {5, 1, 3, {"&Abort", "&Retry", "&Ignore"}, "&Ignore", "&Ignore", 0},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        std::thread person = AnswerBox(seen, c.press);
        QMsgBox(c.buttons, c.icon, c.defaultButton, "Message text   ", "Caption  ");
        person.join();
        const std::string what = std::to_string(c.buttons) + "/" + std::to_string(c.defaultButton);
        EXPECT_EQ(seen.caption, "Caption") << what;
        EXPECT_EQ(seen.text, "Message text") << what;
        EXPECT_EQ(seen.labels, c.labels) << what;
        EXPECT_EQ(seen.defaultLabel, c.defaultLabel) << what;
        EXPECT_TRUE(seen.hasIcon) << what;
        EXPECT_EQ(seen.owner, Root()) << what;
        EXPECT_EQ(QStateInfo(4), c.answer) << what;
        EXPECT_EQ(QErrorInfo(1), 0) << what;
    }

    // While a semi-modal dialog is shown, it owns the boxes.
    QDlgLoad(IDD_RESTART);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
    HWND restart = robot::WaitForWindow(GetCurrentProcessId(), "Restart Machine", "#32770", std::chrono::seconds(5));
    BoxSeen seen;
    std::thread person = AnswerBox(seen, "OK");
    QMsgBox(0, 0, 0, "Inside", "Owned");
    person.join();
    EXPECT_EQ(seen.owner, restart);
    EXPECT_FALSE(seen.hasIcon);
}

TEST_F(Windows, TheLatestSemiModalDialogOwnsTheBoxes)
{
    // Pages overlap: the next page is up before the previous one goes.
    QDlgLoad(IDD_INITIAL_PAGE);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
    QDlgLoad(IDD_DIRECTORY_PAGE);
    QDlgShow(-1, -1, 0, kDialogSemiModal);
    HWND directory = nullptr;
    for (HWND w : robot::TopWindows(GetCurrentProcessId()))
        if (GetDlgItem(w, IDC_BROWSE)) directory = w;
    ASSERT_NE(directory, nullptr);
    QDlgSelect(IDD_INITIAL_PAGE);
    QDlgUnload(0);
    QDlgSelect(IDD_DIRECTORY_PAGE);
    EXPECT_FALSE(IsWindowEnabled(Root()));

    BoxSeen seen;
    std::thread person = AnswerBox(seen, "OK");
    QMsgBox(0, 1, 1, "Owned by the directory page", "Owner");
    person.join();
    EXPECT_EQ(seen.owner, directory);
    EXPECT_FALSE(IsWindowEnabled(Root()));

    // So is the box of a reported error; closing it leaves the root window asleep.
    SetErrorReportingMode(kReportMessageBox);
    std::thread reader = AnswerBox(seen, "OK");
    QDlgSelect(4242);
    reader.join();
    SetErrorReportingMode(kReportSilent);
    EXPECT_EQ(seen.caption, "Library Error");
    EXPECT_EQ(seen.owner, directory);
    EXPECT_FALSE(IsWindowEnabled(Root()));
    EXPECT_EQ(QErrorInfo(1), 1008);

    QDlgUnload(0);
    EXPECT_TRUE(IsWindowEnabled(Root()));
    std::thread again = AnswerBox(seen, "OK");
    QMsgBox(0, 1, 1, "Owned by the root window", "Owner");
    again.join();
    EXPECT_EQ(seen.owner, Root());
    EXPECT_EQ(QStateInfo(4), 1);
}

TEST_F(Windows, ModalDialogReturnsWhenAButtonIsPressed)
{
    QDlgLoad(IDD_INITIAL_PAGE);
    std::thread person([] {
        HWND page = robot::WaitForWindow(GetCurrentProcessId(), "", "#32770", std::chrono::seconds(10));
        if (page) robot::Press(page, IDOK);
    });
    QDlgShow(-1, -1, IDOK, kDialogModal);
    person.join();
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_EQ(QStateInfo(1), IDOK);
    EXPECT_TRUE(IsWindowEnabled(Root()));  // the owner is enabled again
    EXPECT_EQ(QStateInfo(3), IDD_INITIAL_PAGE);  // still loaded, now hidden
}

TEST_F(Windows, MessageBoxThatCannotAppear)
{
    // Its owner is gone behind the toolkit's back: Windows refuses the box.
    DestroyWindow(Root());
    QMsgBox(0, 1, 1, "Nobody sees this", "Lost");
    EXPECT_EQ(QStateInfo(4), -1);
    EXPECT_EQ(QErrorInfo(1), 1004);
    QRootClose();
}

TEST_F(Windows, PictureTypesFromTheFile)
{
    robot::ScratchDirectory dir("image-type");
    std::string bmp = "BM" + std::string(12, '\0');
    std::string header(40, '\0');
    header[0] = 40;
    header[4] = static_cast<char>(320 & 0xFF);
    header[5] = static_cast<char>(320 >> 8);
    header[8] = static_cast<char>(200);
    header[14] = 8;
    robot::WriteFile(dir / "pic.bmp", bmp + header);
    robot::WriteFile(dir / "tiny.bin", "BM");
    robot::WriteFile(dir / "page.ps", "%!PS-Adobe\n");
    struct Case {
        std::string name;
        int32_t count;
        std::vector<int32_t> info;
    } cases[] = {
        {dir / "pic.bmp", 3, {1, 320, 200, -9, -9}},
        {dir / "pic.bmp", 5, {1, 320, 200, 256, 0}},
        {dir / "pic.bmp", 0, {1, -9, -9, -9, -9}},  // below 1 counts as 1
        {dir / "tiny.bin", 5, {0, 0, 0, 0, 0}},
        {dir / "page.ps", 1, {10, -9, -9, -9, -9}},
        {dir / "missing.bmp", 2, {-1, 0}},
        {"   ", 1, {-1, -9, -9, -9, -9}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> info(5, -9);
        QGrImageType(c.name, info, c.count);
        info.resize(c.info.size());
        EXPECT_EQ(info, c.info) << c.name << " count " << c.count;
    }
}

}  // namespace
