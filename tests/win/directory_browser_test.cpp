// The directory browser, in this process under Wine. The browser is modal:
// a second thread plays the user, reading its fields and answering its
// questions as a person would, while the test thread waits in QDlgBrowseDir.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
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

constexpr auto kPatience = 10s;
const std::string kInstallCaption = "Select Installation Directory";
const std::string kCreateText = "The specified directory does not exist.\nDo you wish to create it?";
const std::string kCreateFailedText = "An error occured creating\nthe specified directory.";
const std::string kInvalidText = "The specified directory does not exist.\nSpecify a valid directory.";

DWORD Self() { return GetCurrentProcessId(); }

std::string CurrentDirectory()
{
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, n <= MAX_PATH ? n : 0);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

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

void DrainEvents()
{
    int32_t type = 0;
    EventRecord record{};
    do QEventPeek(type, record);
    while (type != kEventNone);
}

// ---- What the person sees -------------------------------------------------

// The browser of this process: a visible dialog with the directory list.
HWND FindBrowser()
{
    for (HWND w : robot::TopWindows(Self()))
        if (IsWindowVisible(w) && robot::ClassName(w) == "#32770" && GetDlgItem(w, IDC_BROWSE_LIST)) return w;
    return nullptr;
}

HWND List(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_LIST); }
HWND Drives(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_DRIVES); }
HWND PathField(HWND browser) { return GetDlgItem(browser, IDC_BROWSE_PATH); }
std::string PathText(HWND browser) { return robot::ControlText(browser, IDC_BROWSE_PATH); }

std::string ListString(HWND list, int index)
{
    char text[MAX_PATH + 3] = {};
    if (SendMessageA(list, LB_GETTEXTLEN, index, 0) >= static_cast<LRESULT>(sizeof text)) return {};
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> ListStrings(HWND browser)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(List(browser), LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) items.push_back(ListString(List(browser), i));
    return items;
}

std::vector<std::string> DriveStrings(HWND browser)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(Drives(browser), CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        if (SendMessageA(Drives(browser), CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(Drives(browser), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::string SelectedDrive(HWND browser)
{
    const LRESULT index = SendMessageA(Drives(browser), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    return DriveStrings(browser)[static_cast<std::size_t>(index)];
}

// Waits until the browser shows that directory.
bool WaitForPath(HWND browser, const std::string& path)
{
    return robot::WaitUntil([&] { return PathText(browser) == path; }, kPatience);
}

// Lets the browser's thread finish what it is doing, then tells whether it is still up.
bool StillOpen(HWND browser)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(browser, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
    return IsWindow(browser) && IsWindowVisible(browser);
}

bool Closed(HWND browser)
{
    return robot::WaitUntil([&] { return !IsWindow(browser) || !IsWindowVisible(browser); }, kPatience);
}

// ---- What the person does -------------------------------------------------

void DoubleClick(HWND browser, const std::string& item)
{
    const LRESULT index = SendMessageA(List(browser), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.c_str()));
    ASSERT_NE(index, LB_ERR) << item;
    SendMessageA(List(browser), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(List(browser)));
}

void ChooseDrive(HWND browser, char letter)
{
    const std::string prefix = std::string("[-") + letter;
    const LRESULT index = SendMessageA(Drives(browser), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(prefix.c_str()));
    ASSERT_NE(index, CB_ERR) << prefix;
    SendMessageA(Drives(browser), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_DRIVES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Drives(browser)));
}

void Type(HWND browser, const std::string& text) { SetWindowTextA(PathField(browser), text.c_str()); }

// The focus moves inside the browser as the Tab key would move it.
bool FocusOn(HWND browser, HWND control)
{
    PostMessageA(browser, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return robot::WaitUntil([&] { return robot::FocusedWindowOf(browser) == control; }, kPatience);
}

void PressEnterIn(HWND control) { PostMessageA(control, WM_KEYDOWN, VK_RETURN, 0); }

struct BoxSeen {
    bool appeared = false;
    std::string caption;
    std::string text;
    std::vector<std::string> labels;
    HWND owner = nullptr;
    HICON icon = nullptr;
};

// Answers the next message box with the button labelled press.
BoxSeen AnswerBox(const std::string& press)
{
    BoxSeen seen;
    robot::MessageBoxSeen box = robot::WaitForMessageBox(Self(), kPatience);
    if (!box.box) return seen;
    seen.appeared = true;
    seen.caption = box.caption;
    seen.text = box.text;
    seen.owner = GetWindow(box.box, GW_OWNER);
    seen.labels = robot::ButtonLabels(box.box);
    int pressId = 0;
    for (HWND c = GetWindow(box.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (robot::ClassName(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(c))
            seen.icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
        if (robot::ClassName(c) == "Button" && robot::WindowText(c) == press) pressId = GetDlgCtrlID(c);
    }
    robot::Press(box.box, pressId);
    robot::WaitUntil([&] { return !IsWindow(box.box); }, kPatience);
    return seen;
}

// Whatever a failed script left open goes away, so that the test thread
// returns. A browser counts even while hidden: it may be about to appear.
void CloseWhatIsLeft()
{
    robot::WaitUntil(
        [] {
            bool open = false;
            for (HWND w : robot::TopWindows(Self())) {
                if (robot::ClassName(w) != "#32770") continue;
                if (GetDlgItem(w, IDC_BROWSE_LIST)) {
                    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                    open = true;
                } else if (IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
                    for (int id : {IDNO, IDCANCEL, IDOK})
                        if (GetDlgItem(w, id)) {
                            robot::Press(w, id);
                            break;
                        }
                    open = true;
                }
            }
            return !open;
        },
        kPatience);
}

// Runs the browser with a person acting in it. The browser must appear; the
// script gets its window.
void Browse(int32_t flags, std::span<char> field, std::string_view caption, const std::function<void(HWND)>& script)
{
    std::thread person([&] {
        HWND browser = nullptr;
        robot::WaitUntil([&] { return (browser = FindBrowser()) != nullptr; }, kPatience);
        if (browser) script(browser);
        else ADD_FAILURE() << "the browser did not appear";
        if (browser && !robot::WaitUntil([&] { return !IsWindow(browser); }, 2s)) ADD_FAILURE() << "the browser is still open";
        CloseWhatIsLeft();
    });
    QDlgBrowseDir(flags, field, caption);
    person.join();
}

void Cancel(HWND browser)
{
    robot::Press(browser, IDCANCEL);
    EXPECT_TRUE(Closed(browser));
}

void PressOk(HWND browser) { robot::Press(browser, IDOK); }

// ---- Drawing ----------------------------------------------------------------

// A 24-bit memory surface.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// The part of a surface that differs from its background, pixel by pixel.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    friend bool operator==(const Ink&, const Ink&) = default;
};

Ink InkOf(const Canvas& c, COLORREF background)
{
    int left = c.width(), top = c.height(), right = -1, bottom = -1;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    Ink ink;
    if (right < 0) return ink;
    ink.width = right - left + 1;
    ink.height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) ink.pixels.push_back(c.at(x, y));
    return ink;
}

struct Colours {
    COLORREF background;
    COLORREF text;
};

Colours ItemColours(bool selected)
{
    return selected ? Colours{GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)}
                    : Colours{GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
}

// What the browser draws for a list item, asked as the list box would ask.
struct DrawnItem {
    COLORREF corner = 0;
    Ink ink;
};

DrawnItem DrawItem(HWND browser, int index, bool selected)
{
    HWND list = List(browser);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    Canvas canvas(r.right - r.left, r.bottom - r.top);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = IDC_BROWSE_LIST;
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = list;
    item.hDC = canvas.dc();
    item.rcItem = {0, 0, canvas.width(), canvas.height()};
    SendMessageA(browser, WM_DRAWITEM, IDC_BROWSE_LIST, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    return {canvas.at(0, 0), InkOf(canvas, ItemColours(selected).background)};
}

// The same text written plainly in the list's font and the item's colours.
Ink PlainText(HWND browser, const std::string& text, bool selected)
{
    HWND list = List(browser);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    Canvas canvas(r.right - r.left + 64, r.bottom - r.top);
    const Colours colours = ItemColours(selected);
    HBRUSH brush = CreateSolidBrush(colours.background);
    RECT all{0, 0, canvas.width(), canvas.height()};
    FillRect(canvas.dc(), &all, brush);
    DeleteObject(brush);
    HGDIOBJ old = SelectObject(canvas.dc(), reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SetTextColor(canvas.dc(), colours.text);
    SetBkMode(canvas.dc(), TRANSPARENT);
    TextOutA(canvas.dc(), 0, 0, text.c_str(), static_cast<int>(text.size()));
    SelectObject(canvas.dc(), old);
    GdiFlush();
    return InkOf(canvas, colours.background);
}

// ---- The fixture ------------------------------------------------------------

//   C:\robot\browse            the tree the browser walks
//     Alpha\Deep
//     beta
//     Gamma Long Name
//     notes.txt                a file: never listed
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenInstallerRoot();
        while (QStateInfo(3) != 0) QDlgUnload(0);
        for (int item : {1, 2, 3}) QErrorInfo(item);
        DrainEvents();
        tree_ = std::make_unique<robot::ScratchDirectory>("browse");
        for (const char* d : {"Alpha", "Alpha\\Deep", "beta", "Gamma Long Name"})
            ASSERT_TRUE(CreateDirectoryA((*tree_ / d).c_str(), nullptr)) << d;
        robot::WriteFile(*tree_ / "notes.txt", "not a directory");
        // Where the program stands when it asks; no drive remembers a directory yet.
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\robot"));
        SetEnvironmentVariableA("=D:", nullptr);
    }
    void TearDown() override
    {
        for (int32_t id : {IDD_INITIAL_PAGE, IDD_DIRECTORY_PAGE}) {
            QDlgSelect(id);
            if (QErrorInfo(1) == 0) QDlgUnload(0);
        }
        DrainEvents();
        SetCurrentDirectoryA("C:\\");
        tree_.reset();
    }
    const std::string& tree() const { return tree_->path(); }
    std::string at(const std::string& name) const { return *tree_ / name; }
    static HWND Root() { return TheRootState().window; }

private:
    std::unique_ptr<robot::ScratchDirectory> tree_;
};

FixedText<261> Field(const std::string& text) { return FixedText<261>(text); }

// ---- Tests --------------------------------------------------------------------

TEST_F(BrowserTest, OpensOnTheGivenDirectory)
{
    FixedText<261> field = Field(tree());
    const FixedText<261> given = field;
    Browse(kBrowseAcceptMissing, field, kInstallCaption, [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser), kInstallCaption);
        EXPECT_EQ(PathText(browser), tree());
        DWORD start = 99, end = 99;
        SendMessageA(PathField(browser), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, tree().size());
        EXPECT_EQ(robot::FocusedWindowOf(browser), PathField(browser));
        // Directories only, with the way up, in the directory-list format.
        EXPECT_EQ(ListStrings(browser),
                  (std::vector<std::string>{"[..]", "[Alpha]", "[beta]", "[Gamma Long Name]"}));
        EXPECT_EQ(SendMessageA(List(browser), LB_GETCURSEL, 0, 0), 0);
        RECT eight{0, 0, 0, 8};
        MapDialogRect(browser, &eight);
        EXPECT_EQ(SendMessageA(List(browser), LB_GETITEMHEIGHT, 0, 0), eight.bottom);
        // Every drive of the test bed, the current one selected.
        std::vector<std::string> letters;
        for (const std::string& d : DriveStrings(browser)) letters.push_back(Lower(d.substr(0, 3)));
        EXPECT_EQ(letters, (std::vector<std::string>{"[-c", "[-d", "[-f", "[-g", "[-h", "[-y"}));
        EXPECT_EQ(Lower(SelectedDrive(browser).substr(0, 3)), "[-c");
        // Modal: owned by the root window, which waits disabled.
        EXPECT_EQ(GetWindow(browser, GW_OWNER), Root());
        EXPECT_FALSE(IsWindowEnabled(Root()));
        Cancel(browser);
    });
    EXPECT_EQ(QStateInfo(4), 0);
    EXPECT_EQ(QErrorInfo(1), 0);
    EXPECT_TRUE(field == given);
    EXPECT_TRUE(IsWindowEnabled(Root()));
    EXPECT_EQ(CurrentDirectory(), "C:\\robot");
}

TEST_F(BrowserTest, ListItemsAreDrawnWithoutTheirBrackets)
{
    FixedText<261> field = Field(tree());
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        struct Case {
            int index;
            std::string label;
            bool selected;
        } cases[] = {{0, "..", true}, {0, "..", false}, {1, "Alpha", true}, {1, "Alpha", false},
                     {3, "Gamma Long Name", false}};
        for (const Case& c : cases) {
            const std::string what = c.label + (c.selected ? " selected" : "");
            DrawnItem drawn = DrawItem(browser, c.index, c.selected);
            EXPECT_EQ(drawn.corner, ItemColours(c.selected).background) << what;
            ASSERT_FALSE(drawn.ink.pixels.empty()) << what;
            EXPECT_TRUE(drawn.ink == PlainText(browser, c.label, c.selected)) << what;
            EXPECT_FALSE(drawn.ink == PlainText(browser, "[" + c.label + "]", c.selected)) << what;
        }
        Cancel(browser);
    });
}

TEST_F(BrowserTest, DoubleClickAndEnterOpenListedDirectories)
{
    FixedText<261> field = Field(tree());
    Browse(kBrowseAcceptMissing, field, kInstallCaption, [&](HWND browser) {
        DoubleClick(browser, "[Alpha]");
        ASSERT_TRUE(WaitForPath(browser, at("Alpha")));
        EXPECT_EQ(ListStrings(browser), (std::vector<std::string>{"[..]", "[Deep]"}));
        EXPECT_EQ(SendMessageA(List(browser), LB_GETCURSEL, 0, 0), 0);
        DWORD start = 99, end = 99;
        SendMessageA(PathField(browser), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, at("Alpha").size());

        DoubleClick(browser, "[..]");
        ASSERT_TRUE(WaitForPath(browser, tree()));

        // OK (Enter) while the list has the focus opens the selected directory and stays.
        SendMessageA(List(browser), LB_SETCURSEL, 2, 0);  // [beta]
        ASSERT_TRUE(FocusOn(browser, List(browser)));
        PressEnterIn(List(browser));
        ASSERT_TRUE(WaitForPath(browser, at("beta")));
        EXPECT_TRUE(StillOpen(browser));
        EXPECT_EQ(ListStrings(browser), (std::vector<std::string>{"[..]"}));

        // OK anywhere else takes the directory shown.
        PressOk(browser);
        EXPECT_TRUE(Closed(browser));
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.view(), FixedText<261>(at("beta")).view());
    EXPECT_EQ(CurrentDirectory(), "C:\\robot");
}

TEST_F(BrowserTest, TypedDirectories)
{
    struct Reply {
        std::string caption;
        std::string text;
        std::string press;
        bool exclamation = false;
    };
    const Reply invalid{"Invalid Directory", kInvalidText, "OK"};
    const Reply createYes{"Create Directory?", kCreateText, "&Yes"};
    const Reply createNo{"Create Directory?", kCreateText, "&No"};
    const Reply createFailed{"Error", kCreateFailedText, "OK", true};
    struct Case {
        std::string what;
        int32_t flags;
        std::string typed;
        std::vector<Reply> replies;
        bool closes;
        std::string result;   // when it closes
        std::string created;  // a directory that must exist afterwards
        std::string absent;   // one that must not
    } cases[] = {
        {"existing, trailing backslash", kBrowseAcceptMissing, at("beta") + "\\", {}, true, at("beta"), "", ""},
        {"existing, relative", 0, "Gamma Long Name", {}, true, at("Gamma Long Name"), "", ""},
        {"existing, parent", 0, "..", {}, true, "C:\\robot", "", ""},
        {"a drive: its current directory", 0, "d:", {}, true, "D:\\", "", ""},
        {"missing, accepted as typed", kBrowseAcceptMissing, at("New Place") + "\\Inner\\", {}, true,
         at("New Place") + "\\Inner\\", "", at("New Place")},
        {"missing, created with its parent", kBrowseOfferCreation, at("New Place") + "\\Inner", {createYes}, true,
         at("New Place") + "\\Inner", at("New Place") + "\\Inner", ""},
        {"missing, not created", kBrowseOfferCreation, at("New Place"), {createNo}, false, "", "", at("New Place")},
        {"missing, refused", 0, at("New Place"), {invalid}, false, "", "", at("New Place")},
        {"cannot be created", kBrowseOfferCreation, at("notes.txt") + "\\Inner", {createYes, createFailed}, false,
         "", "", ""},
        {"a file is no directory", kBrowseAcceptMissing, at("notes.txt"), {invalid}, false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        robot::RemoveTree(at("New Place"));
        FixedText<261> field = Field(tree());
        const FixedText<261> given = field;
        Browse(c.flags, field, kInstallCaption, [&](HWND browser) {
            ASSERT_TRUE(WaitForPath(browser, tree()));
            Type(browser, c.typed);
            PressOk(browser);
            for (const Reply& reply : c.replies) {
                BoxSeen box = AnswerBox(reply.press);
                ASSERT_TRUE(box.appeared) << reply.caption;
                EXPECT_EQ(box.caption, reply.caption);
                EXPECT_EQ(box.text, reply.text);
                EXPECT_EQ(box.owner, browser) << reply.caption;
                if (reply.exclamation) {
                    EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
                }
            }
            if (c.closes) {
                EXPECT_TRUE(Closed(browser));
                return;
            }
            // Refused: the browser stays, with the typed text ready to be corrected.
            ASSERT_TRUE(StillOpen(browser));
            EXPECT_EQ(PathText(browser), c.typed);
            EXPECT_EQ(robot::FocusedWindowOf(browser), PathField(browser));
            Cancel(browser);
        });
        EXPECT_EQ(QStateInfo(4), c.closes ? 1 : 0);
        if (c.closes) {
            EXPECT_EQ(field.view(), FixedText<261>(c.result).view());
        } else {
            EXPECT_TRUE(field == given);
        }
        if (!c.created.empty()) {
            EXPECT_TRUE(robot::DirectoryExists(c.created));
        }
        if (!c.absent.empty()) {
            EXPECT_FALSE(robot::DirectoryExists(c.absent));
        }
        EXPECT_EQ(CurrentDirectory(), "C:\\robot");
    }
}

TEST_F(BrowserTest, ResultIsCutToTheField)
{
    std::array<char, 12> field;
    field.fill(' ');
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        Type(browser, at("Gamma Long Name"));
        PressOk(browser);
        EXPECT_TRUE(Closed(browser));
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(std::string(field.data(), field.size()), at("Gamma Long Name").substr(0, 12));
}

TEST_F(BrowserTest, CurrentDirectoryIsRestoredUnlessFlag8)
{
    struct Case {
        int32_t flags;
        bool ok;
        std::string after;
    } cases[] = {
        {0, true, "C:\\robot"},
        {kBrowseKeepDirectory, true, at("Alpha")},
        {0, false, "C:\\robot"},
        {kBrowseKeepDirectory, false, at("Alpha") + "\\Deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + (c.ok ? " OK" : " Cancel"));
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\robot"));
        FixedText<261> field = Field(at("Alpha"));
        Browse(c.flags, field, kInstallCaption, [&](HWND browser) {
            if (c.ok) {
                PressOk(browser);
                EXPECT_TRUE(Closed(browser));
            } else {
                DoubleClick(browser, "[Deep]");
                ASSERT_TRUE(WaitForPath(browser, at("Alpha") + "\\Deep"));
                Cancel(browser);
            }
        });
        EXPECT_EQ(QStateInfo(4), c.ok ? 1 : 0);
        EXPECT_EQ(CurrentDirectory(), c.after);
    }
}

TEST_F(BrowserTest, BlankArgumentStartsInTheCurrentDirectory)
{
    ASSERT_TRUE(SetCurrentDirectoryA(at("Alpha").c_str()));
    FixedText<261> field;
    Browse(0, field, "   ", [&](HWND browser) {
        EXPECT_EQ(robot::WindowText(browser), "Select Directory");  // a blank caption keeps the dialog's own
        EXPECT_EQ(PathText(browser), at("Alpha"));
        EXPECT_EQ(ListStrings(browser), (std::vector<std::string>{"[..]", "[Deep]"}));
        Cancel(browser);
    });
    EXPECT_EQ(QStateInfo(4), 0);
    EXPECT_TRUE(field.blank());
    EXPECT_EQ(CurrentDirectory(), at("Alpha"));

    Browse(0, field, kInstallCaption, [&](HWND browser) {
        PressOk(browser);
        EXPECT_TRUE(Closed(browser));
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.str(), at("Alpha"));
}

TEST_F(BrowserTest, MissingStartDirectory)
{
    struct Case {
        int32_t flags;
        std::string reply;  // caption of the question asked, if any
        std::string press;
        std::string shown;
    } cases[] = {
        {kBrowseAcceptMissing, "", "", at("Missing")},
        {0, "Invalid Directory", "OK", "C:\\robot"},
        {kBrowseOfferCreation, "Create Directory?", "&Yes", at("Missing")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        robot::RemoveTree(at("Missing"));
        FixedText<261> field = Field(at("Missing"));
        Browse(c.flags, field, kInstallCaption, [&](HWND browser) {
            if (!c.reply.empty()) {
                BoxSeen box = AnswerBox(c.press);
                EXPECT_EQ(box.caption, c.reply);
                EXPECT_EQ(box.owner, browser);
            }
            EXPECT_TRUE(WaitForPath(browser, c.shown)) << PathText(browser);
            PressOk(browser);
            EXPECT_TRUE(Closed(browser));
        });
        EXPECT_EQ(QStateInfo(4), 1);
        EXPECT_EQ(field.str(), c.shown);
    }
}

TEST_F(BrowserTest, DrivesAreEnteredAtTheirCurrentDirectory)
{
    const std::string onD = "D:\\browse-drive";
    robot::RemoveTree(onD);
    ASSERT_TRUE(CreateDirectoryA(onD.c_str(), nullptr));
    FixedText<261> field = Field(tree());
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        ChooseDrive(browser, 'd');
        ASSERT_TRUE(WaitForPath(browser, "D:\\")) << PathText(browser);
        const std::vector<std::string> atRoot = ListStrings(browser);
        EXPECT_EQ(std::count(atRoot.begin(), atRoot.end(), "[..]"), 0);  // no way up from a root
        EXPECT_EQ(Lower(SelectedDrive(browser).substr(0, 3)), "[-d");
        DoubleClick(browser, "[browse-drive]");
        ASSERT_TRUE(WaitForPath(browser, onD));

        // Each drive comes back where the browser left it.
        ChooseDrive(browser, 'c');
        ASSERT_TRUE(WaitForPath(browser, tree()));
        EXPECT_EQ(Lower(SelectedDrive(browser).substr(0, 3)), "[-c");
        ChooseDrive(browser, 'd');
        ASSERT_TRUE(WaitForPath(browser, onD));

        // A drive that cannot be entered is refused and the browser stays where it was.
        SendMessageA(Drives(browser), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[-q-]"));
        ChooseDrive(browser, 'q');
        BoxSeen box = AnswerBox("OK");
        EXPECT_EQ(box.caption, "Invalid Directory");
        EXPECT_EQ(box.text, kInvalidText);
        ASSERT_TRUE(StillOpen(browser));
        EXPECT_EQ(PathText(browser), onD);
        EXPECT_EQ(Lower(SelectedDrive(browser).substr(0, 3)), "[-d");
        PressOk(browser);
        EXPECT_TRUE(Closed(browser));
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.str(), onD);
    robot::RemoveTree(onD);
}

TEST_F(BrowserTest, OwnedByTheCurrentDialog)
{
    QDlgLoad(IDD_DIRECTORY_PAGE);
    QDlgShow(-1, QScreenInfo(2) / 5, 0, kDialogSemiModal);
    HWND page = nullptr;
    for (HWND w : robot::TopWindows(Self()))
        if (GetDlgItem(w, IDC_BROWSE)) page = w;
    ASSERT_NE(page, nullptr);
    FixedText<261> field = Field(tree());
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        EXPECT_EQ(GetWindow(browser, GW_OWNER), page);
        EXPECT_FALSE(IsWindowEnabled(page));
        // Centred over the page.
        RECT p = robot::ScreenRectOf(page);
        RECT b = robot::ScreenRectOf(browser);
        EXPECT_NEAR((b.left + b.right) / 2, (p.left + p.right) / 2, 1);
        EXPECT_NEAR((b.top + b.bottom) / 2, (p.top + p.bottom) / 2, 1);
        // Its questions belong to the browser.
        Type(browser, at("nowhere"));
        PressOk(browser);
        BoxSeen box = AnswerBox("OK");
        EXPECT_EQ(box.owner, browser);
        Cancel(browser);
    });
    EXPECT_TRUE(IsWindowEnabled(page));
    EXPECT_EQ(QStateInfo(3), IDD_DIRECTORY_PAGE);

    // Afterwards the page owns message boxes again.
    BoxSeen after;
    std::thread person([&] { after = AnswerBox("OK"); });
    QMsgBox(kButtonsOk, 0, 1, "After the browser", "Owner");
    person.join();
    EXPECT_EQ(after.owner, page);
}

TEST_F(BrowserTest, DialogThatCannotBeCreated)
{
    // The owner is gone behind the toolkit's back: Windows refuses the dialog.
    DestroyWindow(Root());
    SetStateWord(4, 1);
    FixedText<261> field = Field(tree());
    const FixedText<261> given = field;
    QDlgBrowseDir(0, field, kInstallCaption);
    EXPECT_EQ(QErrorInfo(1), 1007);
    EXPECT_EQ(QStateInfo(4), 0);
    EXPECT_TRUE(field == given);
    EXPECT_EQ(CurrentDirectory(), "C:\\robot");
    QRootClose();
}

// The 95 family reports short names; the browser shows long ones. This test
// runs in a copy of this program that Wine presents as Windows 95.
TEST(BrowserOn95, ShowsLongNames)
{
    if (PlatformCode() != kPlatformWindows95) GTEST_SKIP() << "runs in a copy under the 95 family";
    OpenInstallerRoot();
    robot::ScratchDirectory tree("browse95");
    const std::string longDir = tree / "Gamma Long Name";
    const std::string longInner = longDir + "\\Inner Long Folder";
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(longInner.c_str(), nullptr));
    char shortDir[MAX_PATH] = {};
    char shortInner[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(longDir.c_str(), shortDir, MAX_PATH), 0u);
    ASSERT_NE(GetShortPathNameA(longInner.c_str(), shortInner, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortDir), longDir);
    const std::string innerShortName = std::string(shortInner).substr(std::string(shortInner).rfind('\\') + 1);
    ASSERT_NE(innerShortName, "Inner Long Folder");

    FixedText<261> field(shortDir);
    Browse(0, field, kInstallCaption, [&](HWND browser) {
        EXPECT_EQ(PathText(browser), longDir);
        // A list as the 95 family fills it: short names.
        HWND list = List(browser);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[..]"));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + innerShortName + "]").c_str()));
        DrawnItem up = DrawItem(browser, 0, false);
        EXPECT_TRUE(up.ink == PlainText(browser, "..", false));
        DrawnItem inner = DrawItem(browser, 1, true);
        ASSERT_FALSE(inner.ink.pixels.empty());
        EXPECT_TRUE(inner.ink == PlainText(browser, "Inner Long Folder", true));
        PressOk(browser);
        EXPECT_TRUE(Closed(browser));
    });
    EXPECT_EQ(QStateInfo(4), 1);
    EXPECT_EQ(field.str(), longDir);
    SetCurrentDirectoryA("C:\\");
}

TEST(BrowserOnNt, The95FamilyCopyPasses)
{
    if (PlatformCode() == kPlatformWindows95) GTEST_SKIP() << "this is the copy";
    robot::ScratchDirectory dir("browse95-program");
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string copy = dir / "browser95.exe";
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    robot::SetWineVersionFor("browser95.exe", "win95");
    robot::RunResult r = robot::Run('"' + copy + "\" --gtest_filter=BrowserOn95.*", {}, 60s);
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("[  PASSED  ] 1 test"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("SKIPPED"), std::string::npos) << r.output;
}

}  // namespace
