// The directory browser, in this process under Wine. The browser is modal:
// a second thread plays the user, reading its fields and answering its
// questions, while the test thread waits in QDlgBrowseDir.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "errors/errors.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup/startup.h"
#include "utilities/fixed_text.h"
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

constexpr auto kPatience = 10s;
const std::string kInstallCaption = "Select Installation Directory";

DWORD Self() { return GetCurrentProcessId(); }
HWND Root() { return TheRootState().window; }

FixedText<261> Field(const std::string& text) { return FixedText<261>(text); }

// ---- What the person sees and does ------------------------------------------

HWND FindBrowser()
{
    for (HWND w : robot::TopWindows(Self()))
        if (IsWindowVisible(w) && robot::ClassName(w) == "#32770" && GetDlgItem(w, IDC_BROWSE_LIST)) return w;
    return nullptr;
}

HWND List(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_LIST); }
HWND Drives(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_DRIVES); }
std::string PathText(HWND browser) { return robot::ControlText(browser, IDC_BROWSE_PATH); }
bool IsCombo(HWND control) { return robot::ClassName(control) == "ComboBox"; }

// The items of the directory list or of the drive combo box.
Strings Items(HWND control)
{
    const bool combo = IsCombo(control);
    Strings items(std::max<LRESULT>(0, SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0)));
    for (std::size_t i = 0; i < items.size(); ++i) {
        char text[MAX_PATH + 3] = {};
        SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items[i] = text;
    }
    return items;
}

// Double-clicks a directory, or chooses a drive.
void Choose(HWND browser, int id, const std::string& item)
{
    HWND control = GetDlgItem(browser, id);
    const bool combo = IsCombo(control);
    const LRESULT index = SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                                       static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
    ASSERT_GE(index, 0) << item;
    SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_DBLCLK), reinterpret_cast<LPARAM>(control));
}

bool WaitForPath(HWND browser, const std::string& path)
{
    return robot::WaitUntil([&] { return PathText(browser) == path; }, kPatience);
}

// Lets the browser's thread finish what it is doing, then tells whether it is still up.
bool StillOpen(HWND browser)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(browser, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result) && IsWindowVisible(browser);
}

struct Box { std::string caption, text; HWND owner = nullptr; HICON icon = nullptr; };

// Answers the next message box with that button.
Box Answer(int button)
{
    const robot::MessageBoxSeen seen = robot::WaitForMessageBox(Self(), kPatience);
    if (!seen.box) return {"(no message box)", ""};
    Box box{seen.caption, seen.text, GetWindow(seen.box, GW_OWNER)};
    for (HWND c = GetWindow(seen.box, GW_CHILD); c && !box.icon; c = GetWindow(c, GW_HWNDNEXT))
        box.icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
    robot::Press(seen.box, button);
    robot::WaitUntil([&] { return !IsWindow(seen.box); }, kPatience);
    return box;
}

// Runs the browser with a person acting in it; the script must close it.
void Browse(int32_t flags, std::span<char> field, std::string_view caption, const std::function<void(HWND)>& script)
{
    std::thread person([&] {
        HWND browser = nullptr;
        if (robot::WaitUntil([&] { return (browser = FindBrowser()) != nullptr; }, kPatience)) script(browser);
        EXPECT_TRUE(browser && robot::WaitUntil([&] { return !IsWindow(browser); }, kPatience)) << "no browser, or it stays";
        // Whatever a failed script left open (a browser even while hidden) goes, so that QDlgBrowseDir returns.
        robot::WaitUntil([] {
            bool open = false;
            for (HWND w : robot::TopWindows(Self()))
                if (robot::ClassName(w) == "#32770" && (GetDlgItem(w, IDC_BROWSE_LIST) || GetDlgItem(w, 0xFFFF)))
                    open = PostMessageA(w, WM_COMMAND, GetDlgItem(w, IDNO) ? IDNO : IDCANCEL, 0) || true;
            return !open;
        }, kPatience);
    });
    QDlgBrowseDir(flags, field, caption);
    person.join();
}

// The pixels that differ from the background, cropped, its width first:
// either what the browser draws for list item `index`, or `plain` written
// with TextOut in the list's font and the item's colours.
std::vector<COLORREF> Drawn(HWND browser, int index, bool selected, const char* plain = nullptr)
{
    HWND list = List(browser);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(w, h, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF background = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    RECT all{0, 0, w, h};
    if (plain) {
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, background);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, plain, static_cast<UINT>(strlen(plain)), nullptr);
    } else {
        DRAWITEMSTRUCT item{ODT_LISTBOX, IDC_BROWSE_LIST, static_cast<UINT>(index), ODA_DRAWENTIRE,
                            selected ? ODS_SELECTED : 0u, list, dc, all, 0};
        SendMessageA(browser, WM_DRAWITEM, IDC_BROWSE_LIST, reinterpret_cast<LPARAM>(&item));
    }
    GdiFlush();
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (GetPixel(dc, x, y) != background)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    std::vector<COLORREF> ink{static_cast<COLORREF>(right - left + 1)};
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) ink.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// ---- The fixture ------------------------------------------------------------

//   C:\robot\browse    Alpha\Deep, beta, Gamma Long Name, notes.txt (a file)
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QStartUp(" ");
        RootSettings root;
        QRootOpen(root, 128);
        while (QStateInfo(3) != 0) QDlgUnload(0);
        for (const char* d : {"Alpha", "Alpha\\Deep", "beta", "Gamma Long Name"})
            ASSERT_TRUE(CreateDirectoryA(at(d).c_str(), nullptr)) << d;
        robot::WriteFile(at("notes.txt"), "not a directory");
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\robot"));  // where the program stands when it asks
        SetEnvironmentVariableA("=D:", nullptr);          // drive D remembers no directory
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"); }
    const std::string& tree() const { return tree_.path(); }
    std::string at(const std::string& name) const { return tree_ / name; }

private:
    robot::ScratchDirectory tree_{"browse"};
};

// ---- Tests --------------------------------------------------------------------

TEST_F(BrowserTest, OpensOnTheGivenDirectoryAndEntersListedOnesAndDrives)
{
    FixedText<261> field = Field(tree());
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser), kInstallCaption);
        EXPECT_EQ(PathText(browser), tree());
        EXPECT_EQ(Items(List(browser)), (Strings{"[..]", "[Alpha]", "[beta]", "[Gamma Long Name]"}));
        EXPECT_EQ(SendMessageA(List(browser), LB_GETCURSEL, 0, 0), 0);
        // Drawn without the brackets; the selected item in the highlight colours.
        EXPECT_EQ(Drawn(browser, 0, true), Drawn(browser, 0, true, ".."));
        EXPECT_EQ(Drawn(browser, 1, false), Drawn(browser, 1, false, "Alpha"));
        EXPECT_EQ(Items(Drives(browser)), (Strings{"[-c-]", "[-d-]", "[-f-]", "[-g-]", "[-h-]", "[-y-]"}));
        EXPECT_EQ(SendMessageA(Drives(browser), CB_GETCURSEL, 0, 0), 0);  // [-c-]
        EXPECT_EQ(GetWindow(browser, GW_OWNER), Root());
        EXPECT_FALSE(IsWindowEnabled(Root()));

        Choose(browser, IDC_BROWSE_LIST, "[Alpha]");
        ASSERT_TRUE(WaitForPath(browser, at("Alpha")));
        EXPECT_EQ(Items(List(browser)), (Strings{"[..]", "[Deep]"}));
        Choose(browser, IDC_BROWSE_LIST, "[..]");
        ASSERT_TRUE(WaitForPath(browser, tree()));
        // Enter while the list has the focus enters the selected directory; the browser stays.
        SendMessageA(List(browser), LB_SETCURSEL, 2, 0);  // [beta]
        PostMessageA(browser, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List(browser)), TRUE);
        ASSERT_TRUE(robot::WaitUntil([&] { return robot::FocusedWindowOf(browser) == List(browser); }, kPatience));
        PostMessageA(List(browser), WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitForPath(browser, at("beta")));
        EXPECT_TRUE(StillOpen(browser));
        Choose(browser, IDC_BROWSE_DRIVES, "[-d-]");
        ASSERT_TRUE(WaitForPath(browser, "D:\\"));
        EXPECT_EQ(SendMessageA(Drives(browser), CB_GETCURSEL, 0, 0), 1);  // [-d-]
        robot::Press(browser, IDOK);
    });
    EXPECT_TRUE(IsWindowEnabled(Root()));
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.str(), "D:\\");
}

// A directory typed and confirmed with OK, or given as the argument.
TEST_F(BrowserTest, EntersTypedOrGivenDirectories)
{
    struct Reply { std::string caption, text; int press; LPCSTR icon = nullptr; };
    const std::string createText = "The specified directory does not exist.\nDo you wish to create it?";
    const Reply yes{"Create Directory?", createText, IDYES}, no{"Create Directory?", createText, IDNO};
    const Reply invalid{"Invalid Directory", "The specified directory does not exist.\nSpecify a valid directory.", IDOK};
    const Reply failed{"Error", "An error occured creating\nthe specified directory.", IDOK, IDI_EXCLAMATION};
    const std::string fresh = at("New Place") + "\\Inner";
    struct Case {
        const char* what;
        int32_t flags;
        std::string given, typed;         // given blank: the tree, then `typed` typed and OK pressed
        std::vector<Reply> replies;
        std::string result;               // blank: refused, then cancelled
        bool made = false;                // New Place exists afterwards
        std::string after = "C:\\robot";  // the current directory afterwards
    } cases[] = {
        {"existing, trailing backslash", 4, "", at("beta") + "\\", {}, at("beta")},
        {"a drive: its current directory", 0, "", "d:", {}, "D:\\"},
        {"missing, flag 4: as typed", 4, "", fresh + "\\", {}, fresh + "\\"},
        {"missing, flag 64: created", 64, "", fresh, {yes}, fresh, true},
        {"missing, flag 64: not created", 64, "", fresh, {no}, ""},
        {"missing, no flag: refused", 0, "", fresh, {invalid}, ""},
        {"cannot be created", 64, "", at("notes.txt") + "\\Inner", {yes, failed}, ""},
        {"a file", 4, "", at("notes.txt"), {invalid}, ""},
        {"flag 8 keeps the current directory", 8, "", at("Alpha"), {}, at("Alpha"), false, at("Alpha")},
        {"flag 8, cancelled", 8, "", "nowhere", {invalid}, "", false, tree()},
        {"given missing, flag 4", 4, fresh, "", {}, fresh},
        {"given missing, no flag", 0, fresh, "", {invalid}, "C:\\robot"},
        {"given missing, flag 64", 64, fresh, "", {yes}, fresh, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\robot"));
        robot::RemoveTree(at("New Place"));
        FixedText<261> field = Field(c.given.empty() ? tree() : c.given);
        Browse(c.flags, field, kInstallCaption, [&](HWND browser) {
            if (c.given.empty()) {
                SetDlgItemTextA(browser, IDC_BROWSE_PATH, c.typed.c_str());
                robot::Press(browser, IDOK);
            }
            for (const Reply& reply : c.replies) {
                const Box box = Answer(reply.press);
                EXPECT_EQ(std::tie(box.caption, box.text, box.owner), std::tie(reply.caption, reply.text, browser));
                EXPECT_TRUE(!reply.icon || box.icon == LoadIconA(nullptr, reply.icon)) << reply.caption;
            }
            if (!c.given.empty()) {
                EXPECT_TRUE(WaitForPath(browser, c.result)) << PathText(browser);
                robot::Press(browser, IDOK);
            } else if (c.result.empty()) {
                ASSERT_TRUE(StillOpen(browser));
                EXPECT_EQ(PathText(browser), c.typed);
                robot::Press(browser, IDCANCEL);
            }
        });
        EXPECT_EQ(QStateInfo(4), c.result.empty() ? 0 : 1);
        EXPECT_EQ(field.view(), Field(c.result.empty() ? tree() : c.result).view());
        EXPECT_EQ(robot::DirectoryExists(at("New Place")), c.made);
        char current[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(sizeof current, current);
        EXPECT_EQ(current, c.after);
    }
}

// Blank arguments, over a dialog of the program.
TEST_F(BrowserTest, StartsInTheCurrentDirectoryOwnedByTheCurrentDialog)
{
    QDlgLoad(IDD_DIRECTORY_PAGE);
    QDlgShow(-1, 0, 0, kDialogSemiModal);
    HWND page = nullptr;
    for (HWND w : robot::TopWindows(Self()))
        if (GetDlgItem(w, IDC_BROWSE)) page = w;
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(at("Alpha").c_str()));
    FixedText<12> field;
    Browse(0, field, "   ", [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser), "Select Directory");  // the dialog's own
        EXPECT_TRUE(WaitForPath(browser, at("Alpha")));
        EXPECT_EQ(GetWindow(browser, GW_OWNER), page);
        EXPECT_FALSE(IsWindowEnabled(page));
        robot::Press(browser, IDOK);
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.view(), at("Alpha").substr(0, 12));  // cut to the field
    EXPECT_TRUE(IsWindowEnabled(page));
    // Message boxes belong to the page again.
    Box after;
    std::thread person([&] { after = Answer(IDOK); });
    QMsgBox(kButtonsOk, 0, 1, "After the browser", "Owner");
    person.join();
    EXPECT_EQ(after.owner, page);
    QDlgUnload(0);
}

TEST_F(BrowserTest, DialogThatCannotBeCreated)
{
    DestroyWindow(Root());  // the owner is gone behind the toolkit's back: Windows refuses the dialog
    SetStateWord(4, 1);
    QErrorInfo(1);
    FixedText<261> field = Field(tree());
    QDlgBrowseDir(0, field, kInstallCaption);
    EXPECT_EQ(QErrorInfo(1), 1007);
    EXPECT_EQ(QStateInfo(4), 0);
    EXPECT_EQ(field.str(), tree());
    QRootClose();
}

// The 95 family lists and reports short names; the browser shows long ones.
// Runs again in a copy of this program that Wine presents as Windows 95.
TEST_F(BrowserTest, LongNamesOn95)
{
    if (PlatformCode() != kPlatformWindows95) {
        const std::string copy = "C:\\robot\\browser95.exe";
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
        robot::SetWineVersionFor("browser95.exe", "win95");
        const robot::RunResult r = robot::Run(copy + " --gtest_filter=BrowserTest.LongNamesOn95", {}, 60s);
        DeleteFileA(copy.c_str());
        EXPECT_NE(r.output.find("[  PASSED  ] 1 test"), std::string::npos) << r.output;
        return;
    }
    ASSERT_TRUE(CreateDirectoryA(at("Gamma Long Name\\Inner Long Folder").c_str(), nullptr));
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(at("Gamma Long Name\\Inner Long Folder").c_str(), shortName, MAX_PATH);
    const std::string shortInner = shortName;
    ASSERT_EQ(shortInner.find("Long"), std::string::npos) << shortInner;  // both names short
    FixedText<261> field = Field(shortInner.substr(0, shortInner.rfind('\\')));
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        EXPECT_EQ(PathText(browser), at("Gamma Long Name"));
        const std::string item = "[" + shortInner.substr(shortInner.rfind('\\') + 1) + "]";  // as the 95 family lists it
        const LRESULT index = SendMessageA(List(browser), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        EXPECT_EQ(Drawn(browser, index, true), Drawn(browser, index, true, "Inner Long Folder"));
        robot::Press(browser, IDOK);
    });
    EXPECT_EQ(field.str(), at("Gamma Long Name"));
}

}  // namespace
