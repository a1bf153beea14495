// The directory browser: dialog 32101 run as a modal dialog box. It walks
// the directories by changing the process's current directory, lists the
// sub-directories and the drives with the Windows directory-list functions,
// and draws the list itself so that the brackets of that format stay hidden.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "utilities/later_calls.h"
#include "utilities/os.h"
#include "utilities/path_text.h"
#include "utilities/win_handles.h"
#include "windows/dialogs.h"
#include "windows/dialogs_internal.h"
#include "windows/directory_browser.h"
#include "windows/gdi_objects.h"
#include "windows/message_box.h"
#include "windows/root_state.h"
#include "windows/toolkit_ids.h"

namespace {

constexpr int kBrowseDialog = IDD_BROWSE_DIRECTORY;
constexpr int kPathField = IDC_BROWSE_PATH;
constexpr int kDirectoryList = IDC_BROWSE_LIST;
constexpr int kDriveList = IDC_BROWSE_DRIVES;
constexpr int kItemHeightUnits = 8;
constexpr int kItemTextIndent = 2;  // pixels between the item's edge and its text
constexpr std::size_t kMaxDirectory = 260;

// Posted when the browser is first shown (a modal dialog appears only once
// its queue is empty): questions about a missing start directory are asked
// over the visible browser.
constexpr UINT kEnterStartDirectory = WM_APP + 1;

constexpr std::string_view kCreateQuestion = "The specified directory does not exist.\nDo you wish to create it?";
constexpr std::string_view kCreateFailed = "An error occured creating\nthe specified directory.";
constexpr std::string_view kInvalidDirectory = "The specified directory does not exist.\nSpecify a valid directory.";

enum class Entered { Yes, AsTyped, No };

// Message boxes asked while the browser is open belong to it.
class BoxOwnerScope {
public:
    BoxOwnerScope() = default;
    BoxOwnerScope(const BoxOwnerScope&) = delete;
    BoxOwnerScope& operator=(const BoxOwnerScope&) = delete;
    ~BoxOwnerScope() { Release(); }
    void Take(HWND owner)
    {
        Release();
        previous_ = ReplaceMessageBoxOwner(owner);
        active_ = true;
    }
    void Release()
    {
        if (active_) ReplaceMessageBoxOwner(previous_);
        active_ = false;
    }

private:
    HWND previous_ = nullptr;
    bool active_ = false;
};

struct Browser {
    int32_t flags = 0;
    std::string start;  // significant part of the directory argument, until entered
    bool startPosted = false;
    std::string caption;         // blank: the template's
    bool longListNames = false;  // the 95 family lists short names
    bool longPathName = false;   // ... and reports the current directory in short form
    std::string shown;           // the directory whose sub-directories are listed
    std::string result;
    BoxOwnerScope boxOwner;
};

Browser* BrowserOf(HWND dialog) { return reinterpret_cast<Browser*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

bool IsDirectoryAttribute(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The name a directory entry has in long form; the name itself when the
// entry cannot be found.
std::string LongEntryName(const std::string& directory, const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return name;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(JoinPath(directory, name).c_str(), &found));
    return search.valid() ? std::string(found.cFileName) : name;
}

// A full path with every component in long form.
std::string LongPathForm(const std::string& path)
{
    std::size_t at = RootLength(path);
    if (at == 0) return path;
    std::string result = path.substr(0, at);
    while (at < path.size()) {
        std::size_t end = path.find('\\', at);
        if (end == std::string::npos) end = path.size();
        result += LongEntryName(result, path.substr(at, end - at));
        if (end < path.size()) result += '\\';
        at = end + 1;
    }
    return result;
}

std::string CurrentDirectory()
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n > 0 && n <= MAX_PATH ? std::string(buffer, n) : std::string();
}

std::string ControlText(HWND dialog, int id, std::size_t limit)
{
    std::string text(limit + 1, '\0');
    const UINT n = GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()));
    text.resize(n);
    return text;
}

std::string ListItemText(HWND list, int index)
{
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT n = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == LB_ERR ? 0 : static_cast<std::size_t>(n));
    return text;
}

// A drive-letter path is remembered as its drive's current directory, as
// the C runtime does: choosing that drive again comes back to it.
void RememberDriveDirectory(const std::string& directory)
{
    const char letter = DriveLetterOf(directory);
    if (!letter) return;
    const char name[] = {'=', letter, ':', '\0'};
    SetEnvironmentVariableA(name, directory.c_str());
}

// Creates the directory and whatever of its path is missing.
bool MakeDirectoryPath(const std::string& path)
{
    for (const std::string& directory : DirectoriesOnPath(path))
        CreateDirectoryA(directory.c_str(), nullptr);  // an existing part fails harmlessly
    return IsDirectoryAttribute(GetFileAttributesA(path.c_str()));
}

void SelectPathText(HWND dialog) { SendDlgItemMessageA(dialog, kPathField, EM_SETSEL, 0, -1); }

// Shows the process's current directory: its path, its sub-directories and
// the drives with its own selected.
void ShowCurrentDirectory(HWND dialog, Browser& b)
{
    std::string directory = CurrentDirectory();
    if (b.longPathName) directory = LongPathForm(directory);
    // A drive chosen or typed in small letters is still shown as Windows names drives.
    if (const char letter = DriveLetterOf(directory)) directory[0] = letter;
    b.shown = directory;
    RememberDriveDirectory(directory);
    SetDlgItemTextA(dialog, kPathField, directory.c_str());
    SelectPathText(dialog);

    // The functions may rewrite the pattern they are given, so it lives in a buffer.
    char pattern[] = "*.*";
    DlgDirListA(dialog, pattern, kDirectoryList, 0, DDL_DIRECTORY | DDL_EXCLUSIVE);
    SendDlgItemMessageA(dialog, kDirectoryList, LB_SETCURSEL, 0, 0);

    char drives[] = "*.*";
    DlgDirListComboBoxA(dialog, drives, kDriveList, 0, DDL_DRIVES | DDL_EXCLUSIVE);
    int selected = -1;
    if (const char letter = DriveLetterOf(directory)) {
        const char prefix[] = {'[', '-', letter, '\0'};  // the search ignores letter case
        const LRESULT found = SendDlgItemMessageA(dialog, kDriveList, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(prefix));
        if (found != CB_ERR) selected = static_cast<int>(found);
    }
    SendDlgItemMessageA(dialog, kDriveList, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ShowInvalidDirectory() { QMsgBox(kButtonsOk, kIconStop, 1, kInvalidDirectory, "Invalid Directory"); }

// Enters a directory typed or given: it becomes current and is shown. A
// missing one is created, accepted as typed or refused, as the flags say.
Entered EnterDirectory(HWND dialog, Browser& b, const std::string& target)
{
    if (target.empty() || SetCurrentDirectoryA(target.c_str())) {
        ShowCurrentDirectory(dialog, b);
        return Entered::Yes;
    }
    // Something of that name that cannot be entered (a file) is no directory to create or accept.
    if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ShowInvalidDirectory();
        return Entered::No;
    }
    if (b.flags & kBrowseOfferCreation) {
        QMsgBox(kButtonsYesNo, kIconQuestion, 1, kCreateQuestion, "Create Directory?");
        if (QStateInfo(4) != 1) return Entered::No;
        if (MakeDirectoryPath(target) && SetCurrentDirectoryA(target.c_str())) {
            ShowCurrentDirectory(dialog, b);
            return Entered::Yes;
        }
        QMsgBox(kButtonsOk, kIconExclamation, 1, kCreateFailed, "Error");
        return Entered::No;
    }
    if (b.flags & kBrowseAcceptMissing) return Entered::AsTyped;
    ShowInvalidDirectory();
    return Entered::No;
}

// A listed directory is entered as it is; one that vanished is refused.
void EnterListedDirectory(HWND dialog, Browser& b)
{
    HWND list = GetDlgItem(dialog, kDirectoryList);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    const std::string name = WithoutBrackets(ListItemText(list, static_cast<int>(index)));
    if (name.empty() || !SetCurrentDirectoryA(name.c_str())) ShowInvalidDirectory();
    ShowCurrentDirectory(dialog, b);
}

// The drive chosen in the combo box: that drive's current directory.
void EnterChosenDrive(HWND dialog, Browser& b)
{
    HWND drives = GetDlgItem(dialog, kDriveList);
    const LRESULT index = SendMessageA(drives, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    const LRESULT length = SendMessageA(drives, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 3) return;
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(drives, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
    const std::string drive = {item[2], ':'};  // "[-c-]"
    // The combo box reports one choice more than once; the drive shown already stays as it is.
    if (DriveLetterOf(drive) == DriveLetterOf(b.shown)) return;
    if (!SetCurrentDirectoryA(drive.c_str())) ShowInvalidDirectory();
    ShowCurrentDirectory(dialog, b);
}

void PressOk(HWND dialog, Browser& b)
{
    // Enter in the list opens the selected directory; the dialog stays.
    if (GetFocus() == GetDlgItem(dialog, kDirectoryList)) {
        EnterListedDirectory(dialog, b);
        return;
    }
    const std::string typed(SignificantPart(ControlText(dialog, kPathField, kMaxDirectory)));
    switch (EnterDirectory(dialog, b, typed)) {
    case Entered::Yes:
        b.result = b.shown;
        EndDialog(dialog, IDOK);
        break;
    case Entered::AsTyped:
        b.result = typed;
        EndDialog(dialog, IDOK);
        break;
    case Entered::No:
        // The typed text stays, ready to be corrected.
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kPathField)), TRUE);
        SelectPathText(dialog);
        break;
    }
}

void DrawListItem(const Browser& b, const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1) || item.itemAction == ODA_FOCUS) {
        // An empty list, or only the focus moved: the focus rectangle toggles.
        DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    std::string label = WithoutBrackets(ListItemText(item.hwndItem, static_cast<int>(item.itemID)));
    if (b.longListNames) label = LongEntryName(b.shown, label);

    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SelectedObject font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    const COLORREF oldColour = SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(item.hDC, TRANSPARENT);
    RECT text = item.rcItem;
    text.left += kItemTextIndent;
    DrawTextA(item.hDC, label.c_str(), static_cast<int>(label.size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetBkMode(item.hDC, oldMode);
    SetTextColor(item.hDC, oldColour);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

// Centred over the owner (the screen without one), kept on the screen.
void PlaceBrowser(HWND dialog)
{
    RECT own{};
    GetWindowRect(dialog, &own);
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT over = area;
    if (HWND owner = GetWindow(dialog, GW_OWNER); owner && IsWindowVisible(owner)) GetWindowRect(owner, &over);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = over.left + (over.right - over.left - width) / 2;
    int top = over.top + (over.bottom - over.top - height) / 2;
    left = std::max<int>(area.left, std::min<int>(left, area.right - width));
    top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitialiseBrowser(HWND dialog, Browser& b)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&b));
    b.boxOwner.Take(dialog);
    if (!b.caption.empty()) SetWindowTextA(dialog, b.caption.c_str());
    SendDlgItemMessageA(dialog, kPathField, EM_LIMITTEXT, kMaxDirectory, 0);
    PlaceBrowser(dialog);
    // A start directory that can be entered is shown at once; any question
    // about a missing one waits until the browser is up.
    if (!b.start.empty() && SetCurrentDirectoryA(b.start.c_str())) b.start.clear();
    ShowCurrentDirectory(dialog, b);
    SetFocus(GetDlgItem(dialog, kPathField));
    SelectPathText(dialog);
}

INT_PTR CALLBACK BrowserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitialiseBrowser(dialog, *reinterpret_cast<Browser*>(lParam));
        return FALSE;  // the focus is set
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != kDirectoryList) return FALSE;
        RECT r{0, 0, 0, kItemHeightUnits};
        MapDialogRect(dialog, &r);
        measure->itemHeight = static_cast<UINT>(r.bottom);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Browser* b = BrowserOf(dialog);
        if (item->CtlID != kDirectoryList || !b) return FALSE;
        DrawListItem(*b, *item);
        return TRUE;
    }
    case WM_SHOWWINDOW: {
        Browser* b = BrowserOf(dialog);
        if (wParam && b && !b->start.empty() && !b->startPosted) {
            b->startPosted = true;
            PostMessageA(dialog, kEnterStartDirectory, 0, 0);
        }
        return FALSE;
    }
    case kEnterStartDirectory: {
        Browser* b = BrowserOf(dialog);
        if (!b) return TRUE;
        const std::string start = std::exchange(b->start, std::string());
        if (EnterDirectory(dialog, *b, start) == Entered::AsTyped) {
            // Accepted as it is: OK returns it unless the user goes elsewhere.
            SetDlgItemTextA(dialog, kPathField, start.c_str());
            SelectPathText(dialog);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        Browser* b = BrowserOf(dialog);
        if (!b) return FALSE;
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IDOK && code == BN_CLICKED)
            PressOk(dialog, *b);
        else if (id == IDCANCEL && code == BN_CLICKED)
            EndDialog(dialog, IDCANCEL);
        else if (id == kDirectoryList && code == LBN_DBLCLK)
            EnterListedDirectory(dialog, *b);
        else if (id == kDriveList && code == CBN_SELCHANGE) {
            // While the list is down, the choice is made when it closes.
            if (!SendDlgItemMessageA(dialog, kDriveList, CB_GETDROPPEDSTATE, 0, 0)) EnterChosenDrive(dialog, *b);
        } else if (id == kDriveList && code == CBN_CLOSEUP)
            EnterChosenDrive(dialog, *b);
        else
            return FALSE;
        return TRUE;
    }
    default: return FALSE;
    }
}

}  // namespace

void QDlgBrowseDir(int32_t flags, std::span<char> directory, std::string_view caption)
{
    const std::string remembered = CurrentDirectory();
    Browser b;
    b.flags = flags;
    b.start = std::string(SignificantPart(AsView(directory)).substr(0, kMaxDirectory));
    b.caption = std::string(SignificantPart(caption));
    const WindowsVersion version = ReadWindowsVersion();
    b.longListNames = version.platform == kPlatformWindows95;
    b.longPathName = version.platform == kPlatformWindows95 && version.major >= 4;

    // Owned by the current dialog, else the root window; a child-style
    // dialog cannot own a window, its frame does.
    HWND owner = CurrentDialogWindow();
    if (!owner) owner = TheRootState().window;
    if (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = TopLevelOf(owner);

    INT_PTR ended = 0;
    {
        ModalSection section(owner);  // the owner is the dialog box's to disable
        ended = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kBrowseDialog), owner, BrowserProc,
                                reinterpret_cast<LPARAM>(&b));
    }
    b.boxOwner.Release();
    if (!(flags & kBrowseKeepDirectory) && !remembered.empty()) SetCurrentDirectoryA(remembered.c_str());
    if (ended != IDOK && ended != IDCANCEL) {
        RaiseError(kErrorLoadDialog);
        SetStateWord(4, 0);
        return;
    }
    if (ended == IDOK) FillText(directory, b.result);
    SetStateWord(4, ended == IDOK ? 1 : 0);
}
