// Dialogs: the table, loading with the field-information block, showing in
// the three modes, and the field operations.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "windows/dialogs.h"
#include "windows/dialogs_internal.h"
#include "windows/events_internal.h"
#include "windows/field_info.h"
#include "windows/gdi_objects.h"
#include "windows/root_state.h"

namespace {

constexpr int kMaxDialogs = 50;

struct FieldColours {
    COLORREF text;
    COLORREF background;
    GdiObject<HBRUSH> brush;  // of the background, for WM_CTLCOLOR*
};

struct DialogEntry {
    int32_t id = 0;
    HWND window = nullptr;
    bool shown = false;
    bool child = false;  // the template has the child style: shown inside the root window
    int32_t mode = 0;
    int32_t focusId = 0;
    HWND owner = nullptr;
    uint64_t shownOrder = 0;  // when it was shown semi-modal: the latest owns message boxes
    std::map<int, FieldColours> colours;
};

struct DialogState {
    std::array<DialogEntry, kMaxDialogs> table;
    int count = 0;
    int current = -1;
    int semiModalCount = 0;
    uint64_t shownCount = 0;
    HWND boxOwner = nullptr;  // set while a modal window asks its own questions; null: the usual rule
    std::array<int32_t, 6> stateWords{};
};

DialogState& Dialogs()
{
    static DialogState state;
    return state;
}

int FindDialog(int32_t id)
{
    DialogState& d = Dialogs();
    for (int i = 0; i < d.count; ++i)
        if (d.table[static_cast<std::size_t>(i)].id == id) return i;
    return -1;
}

int FindDialogWindow(HWND window)
{
    DialogState& d = Dialogs();
    for (int i = 0; i < d.count; ++i)
        if (d.table[static_cast<std::size_t>(i)].window == window) return i;
    return -1;
}

DialogEntry* Current()
{
    DialogState& d = Dialogs();
    if (d.current < 0 || d.current >= d.count) return nullptr;
    return &d.table[static_cast<std::size_t>(d.current)];
}

DialogEntry* CurrentOrFail()
{
    DialogEntry* entry = Current();
    if (!entry) RaiseError(1005);
    return entry;
}

HWND FieldOrFail(const DialogEntry& entry, int32_t fieldId)
{
    HWND field = GetDlgItem(entry.window, fieldId);
    if (!field) RaiseError(1006);
    return field;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

LONG ButtonKind(HWND button) { return GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK; }

bool IsPushButton(HWND control)
{
    if (!control || !IsClass(control, "Button")) return false;
    LONG kind = ButtonKind(control);
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON;
}

// The style word of a DIALOG or DIALOGEX template.
DWORD TemplateStyle(const void* data)
{
    const auto* words = static_cast<const WORD*>(data);
    if (words[0] == 1 && words[1] == 0xFFFF) return reinterpret_cast<const DWORD*>(data)[3];
    return static_cast<const DLGTEMPLATE*>(data)->style;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        // Push buttons, and Enter / Escape / the close box, which arrive without a control.
        const bool pressed = (HIWORD(wParam) == BN_CLICKED && IsPushButton(control)) ||
                             (control == nullptr && (id == IDOK || id == IDCANCEL));
        if (!pressed) return FALSE;
        int index = FindDialogWindow(dialog);
        EventRecord record{};
        record[0] = index >= 0 ? Dialogs().table[static_cast<std::size_t>(index)].id : 0;
        record[1] = id;
        record[11] = static_cast<int32_t>(CurrentMessageTime());
        ProduceEvent(kDialogSlot, kEventButton, record);
        return TRUE;
    }
    case WM_CLOSE:
        // The close box answers like Escape: the dialog itself stays until it is unloaded.
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
        int index = FindDialogWindow(dialog);
        if (index < 0) return FALSE;
        auto& colours = Dialogs().table[static_cast<std::size_t>(index)].colours;
        auto it = colours.find(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        if (it == colours.end()) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, it->second.text);
        SetBkColor(dc, it->second.background);
        return reinterpret_cast<INT_PTR>(it->second.brush.get());
    }
    default: return FALSE;
    }
}

COLORREF ColourOf(double r, double g, double b)
{
    auto c = [](double v) { return static_cast<BYTE>(std::clamp(v, 0.0, 255.0)); };
    return RGB(c(r), c(g), c(b));
}

int32_t InitialNumber(HWND field)
{
    char text[64] = {};
    GetWindowTextA(field, text, sizeof text);
    return std::atoi(text);
}

void ApplyFieldInfo(DialogEntry& entry, HINSTANCE instance)
{
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return;
    HGLOBAL loaded = LoadResource(instance, found);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data) return;
    const std::string_view block(data, SizeofResource(instance, found));
    for (const FieldInfoLine& line : ParseFieldInfo(block)) {
        HWND field = GetDlgItem(entry.window, line.id);
        if (!field) continue;
        const auto& v = line.values;
        auto clamp16 = [](double x) { return static_cast<int>(std::clamp(x, 0.0, 65535.0)); };
        switch (line.section) {
        case FieldSection::Ranges:
            if (IsClass(field, PROGRESS_CLASSA)) {
                SendMessageA(field, PBM_SETRANGE32, clamp16(v[0]), clamp16(v[1]));
                SendMessageA(field, PBM_SETPOS, InitialNumber(field), 0);
            } else if (IsClass(field, TRACKBAR_CLASSA)) {
                SendMessageA(field, TBM_SETRANGEMIN, FALSE, static_cast<LPARAM>(v[0]));
                SendMessageA(field, TBM_SETRANGEMAX, FALSE, static_cast<LPARAM>(v[1]));
                SendMessageA(field, TBM_SETPOS, TRUE, InitialNumber(field));
            }
            break;
        case FieldSection::Menus: {
            const bool list = IsClass(field, "ListBox");
            if (!list && !IsClass(field, "ComboBox")) break;
            SendMessageA(field, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
            for (const std::string& item : line.items)
                SendMessageA(field, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            const int k = static_cast<int>(v[1]);
            SendMessageA(field, list ? LB_SETCURSEL : CB_SETCURSEL, k > 0 ? k - 1 : -1, 0);
            break;
        }
        case FieldSection::Checks:
            SendMessageA(field, BM_SETCHECK, v[0] != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case FieldSection::Colours: {
            const COLORREF background = ColourOf(v[3], v[4], v[5]);
            entry.colours[line.id] = {ColourOf(v[0], v[1], v[2]), background, GdiObject<HBRUSH>(CreateSolidBrush(background))};
            break;
        }
        case FieldSection::Trackbars:
            if (!IsClass(field, TRACKBAR_CLASSA)) break;
            SendMessageA(field, TBM_SETTICFREQ, static_cast<WPARAM>(v[0]), 0);
            SendMessageA(field, TBM_SETLINESIZE, 0, static_cast<LPARAM>(v[1]));
            SendMessageA(field, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(v[2]));
            if (GetWindowLongA(field, GWL_STYLE) & TBS_ENABLESELRANGE) {
                if (v[3] == v[4]) SendMessageA(field, TBM_CLEARSEL, TRUE, 0);
                else SendMessageA(field, TBM_SETSEL, TRUE, MAKELPARAM(static_cast<int>(v[3]), static_cast<int>(v[4])));
            }
            break;
        case FieldSection::Lengths:
            if (IsClass(field, "Edit")) SendMessageA(field, EM_LIMITTEXT, static_cast<WPARAM>(v[0]), 0);
            else if (IsClass(field, "ComboBox")) SendMessageA(field, CB_LIMITTEXT, static_cast<WPARAM>(v[0]), 0);
            break;
        case FieldSection::Tabs:   // tab pages are not part of this toolkit's dialogs
        case FieldSection::Grids: break;
        }
    }
}

void EndSemiModal(DialogEntry& entry)
{
    DialogState& d = Dialogs();
    if (entry.mode != kDialogSemiModal || !entry.shown) return;
    d.semiModalCount = std::max(0, d.semiModalCount - 1);
    if (d.semiModalCount == 0 && TheRootState().window) EnableWindow(TheRootState().window, TRUE);
}

void DestroyEntry(DialogEntry& entry)
{
    EndSemiModal(entry);
    if (entry.shown) {
        ShowWindow(entry.window, SW_HIDE);
        if (entry.owner && IsWindow(entry.owner)) SetFocus(entry.owner);
    }
    DestroyWindow(entry.window);
    entry.colours.clear();
}

void RemoveEntry(int index)
{
    DialogState& d = Dialogs();
    DestroyEntry(d.table[static_cast<std::size_t>(index)]);
    // The table stays compact: later entries move down.
    for (int i = index; i + 1 < d.count; ++i)
        d.table[static_cast<std::size_t>(i)] = std::move(d.table[static_cast<std::size_t>(i + 1)]);
    d.table[static_cast<std::size_t>(d.count - 1)] = DialogEntry{};
    --d.count;
    d.current = -1;
}

void PlaceAndShow(DialogEntry& entry, int32_t x, int32_t y)
{
    RECT r{};
    GetWindowRect(entry.window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    int left;
    int top;
    if (entry.child) {
        // A scale of 0 to 9999 of the root window's client area.
        RECT client{};
        GetClientRect(TheRootState().client, &client);
        left = x == -1 ? (client.right - width) / 2 : static_cast<int>(static_cast<int64_t>(x) * client.right / 9999);
        top = y == -1 ? (client.bottom - height) / 2 : static_cast<int>(static_cast<int64_t>(y) * client.bottom / 9999);
    } else {
        left = x == -1 ? (GetSystemMetrics(SM_CXSCREEN) - width) / 2 : x;
        top = y == -1 ? (GetSystemMetrics(SM_CYSCREEN) - height) / 2 : y;
    }
    SetWindowPos(entry.window, HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

void FocusField(DialogEntry& entry, int32_t focusId)
{
    HWND target = focusId != 0 ? GetDlgItem(entry.window, focusId) : nullptr;
    if (target) {
        SetFocus(target);
        if (IsClass(target, "Edit")) SendMessageA(target, EM_SETSEL, 0, -1);
    } else {
        SetFocus(entry.window);
    }
    entry.focusId = focusId;
}

// A modal dialog runs here until one of its push buttons is pressed.
void RunModal(DialogEntry& entry, ModalSection& section)
{
    const int32_t id = entry.id;
    int32_t button = 0;
    for (;;) {
        int32_t type = kEventNone;
        EventRecord record{};
        QEventWait(type, record);
        if (type == kEventNone) break;  // the message loop ended
        if (type == kEventButton && record[0] == id) {
            button = record[1];
            break;
        }
    }
    section.End();
    int index = FindDialog(id);
    if (index >= 0) {
        DialogEntry& e = Dialogs().table[static_cast<std::size_t>(index)];
        ShowWindow(e.window, SW_HIDE);
        e.shown = false;
    }
    SetStateWord(1, button);
    SetStateWord(2, id);
}

BOOL CALLBACK RecordWindowState(HWND window, LPARAM states)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<std::pair<HWND, bool>>*>(states)->emplace_back(window, IsWindowEnabled(window) != FALSE);
    return TRUE;
}

}  // namespace

ModalSection::ModalSection(HWND spared)
{
    EnumThreadWindows(GetCurrentThreadId(), RecordWindowState, reinterpret_cast<LPARAM>(&states_));
    for (const auto& [window, enabled] : states_)
        if (window != spared && enabled) EnableWindow(window, FALSE);
}

void ModalSection::End()
{
    for (const auto& [window, enabled] : states_)
        if (IsWindow(window) && (IsWindowEnabled(window) != FALSE) != enabled) EnableWindow(window, enabled);
    states_.clear();
}

void SetStateWord(int32_t item, int32_t value)
{
    if (item >= 1 && item <= 5) Dialogs().stateWords[static_cast<std::size_t>(item)] = value;
}

int32_t QStateInfo(int32_t item)
{
    if (item == 3) {
        DialogEntry* entry = Current();
        return entry ? entry->id : 0;
    }
    if (item >= 1 && item <= 5) return Dialogs().stateWords[static_cast<std::size_t>(item)];
    return 0;
}

void QDlgLoad(int32_t resourceId)
{
    DialogState& d = Dialogs();
    if (int index = FindDialog(resourceId); index >= 0) {
        d.current = index;
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* templ = loaded ? LockResource(loaded) : nullptr;
    if (d.count >= kMaxDialogs || !templ) {
        RaiseError(1007);
        return;
    }
    const bool child = (TemplateStyle(templ) & WS_CHILD) != 0;
    const RootState& root = TheRootState();
    HWND parent = child ? root.client : root.window;
    if (child && !parent) {
        RaiseError(1007);
        return;
    }
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), parent, DialogProc, 0);
    if (!window) {
        RaiseError(1007);
        return;
    }
    ShowWindow(window, SW_HIDE);
    DialogEntry& entry = d.table[static_cast<std::size_t>(d.count)];
    entry = DialogEntry{};
    entry.id = resourceId;
    entry.window = window;
    entry.child = child;
    entry.owner = parent;
    d.current = d.count++;
    ApplyFieldInfo(entry, instance);
}

void QDlgSelect(int32_t resourceId)
{
    int index = FindDialog(resourceId);
    if (index < 0) {
        RaiseError(1008);
        return;
    }
    Dialogs().current = index;
}

void QDlgUnload(int32_t)
{
    if (!CurrentOrFail()) return;
    RemoveEntry(Dialogs().current);
}

void UnloadAllDialogs()
{
    DialogState& d = Dialogs();
    while (d.count > 0) RemoveEntry(d.count - 1);
    d.semiModalCount = 0;
    d.boxOwner = nullptr;
}

void QDlgTitle(std::string_view text)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    std::string title(TrimmedText(text));
    SetWindowTextA(entry->window, title.c_str());
}

void QDlgShow(int32_t x, int32_t y, int32_t focusId, int32_t mode)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    DialogState& d = Dialogs();
    if (entry->shown) {
        SetWindowPos(entry->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        RedrawWindow(entry->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    if (entry->child) {
        // Shown inside the root window, which must be visible.
        if (!TheRootState().window || !IsWindowVisible(TheRootState().window)) {
            RaiseError(1016);
            return;
        }
        if (mode != kDialogModeless) RaiseError(1014);
        mode = kDialogModeless;
    } else if (mode < kDialogModal || mode > kDialogSemiModal) {
        RaiseError(1014);
        return;
    }
    if (mode == kDialogModeless && d.semiModalCount > 0 && !entry->child) mode = kDialogSemiModal;

    entry->mode = mode;
    // Everything else waits for a modal dialog from the moment it appears.
    std::optional<ModalSection> section;
    if (mode == kDialogModal) section.emplace(entry->window);
    PlaceAndShow(*entry, x, y);
    entry->shown = true;
    if (mode == kDialogSemiModal) {
        ++d.semiModalCount;
        entry->shownOrder = ++d.shownCount;
        if (TheRootState().window) EnableWindow(TheRootState().window, FALSE);
    }
    FocusField(*entry, focusId);
    UpdateWindow(entry->window);
    if (section) RunModal(*entry, *section);
}

HWND MessageBoxOwner()
{
    DialogState& d = Dialogs();
    if (d.boxOwner) return d.boxOwner;
    // The semi-modal dialog shown last among those still up: pages may go
    // in another order than they came (the next page is up before the last
    // one is removed).
    const DialogEntry* owner = nullptr;
    for (int i = 0; i < d.count; ++i) {
        const DialogEntry& entry = d.table[static_cast<std::size_t>(i)];
        if (entry.shown && entry.mode == kDialogSemiModal && (!owner || entry.shownOrder > owner->shownOrder))
            owner = &entry;
    }
    return owner ? owner->window : TheRootState().window;
}

HWND CurrentDialogWindow()
{
    DialogEntry* entry = Current();
    return entry ? entry->window : nullptr;
}

HWND ReplaceMessageBoxOwner(HWND owner) { return std::exchange(Dialogs().boxOwner, owner); }

bool HandleDialogMessage(MSG& message)
{
    DialogState& d = Dialogs();
    for (int i = d.count - 1; i >= 0; --i) {
        const DialogEntry& entry = d.table[static_cast<std::size_t>(i)];
        if (entry.shown && IsDialogMessageA(entry.window, &message)) return true;
    }
    return false;
}

void QDlgPutText(int32_t fieldId, std::string_view text)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    std::string value(TrimmedText(text));
    SetWindowTextA(field, value.c_str());
}

void QDlgPutCheck(int32_t fieldId, int32_t state)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    if (state != 0 && state != 1) {
        RaiseError(1009);
        return;
    }
    SendMessageA(field, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

void QDlgGetCheck(int32_t fieldId, int32_t& state)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    const LONG kind = IsClass(field, "Button") ? ButtonKind(field) : -1;
    if (kind != BS_AUTOCHECKBOX && kind != BS_AUTORADIOBUTTON && kind != BS_AUTO3STATE) {
        RaiseError(1006);
        return;
    }
    state = SendMessageA(field, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void QDlgFieldState(int32_t fieldId, int32_t state)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    const bool edit = IsClass(field, "Edit");
    EnableWindow(field, state != 0);
    if (edit) SendMessageA(field, EM_SETREADONLY, state == 2, 0);
}

void QDlgRange(int32_t fieldId, int32_t minimum, int32_t maximum)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    if (minimum < 0 || minimum >= maximum || maximum > 65535) {
        RaiseError(1013);
        return;
    }
    if (!IsClass(field, PROGRESS_CLASSA)) {
        RaiseError(1006);
        return;
    }
    SendMessageA(field, PBM_SETRANGE32, minimum, maximum);
}

void QDlgProgress(int32_t fieldId, int32_t value, int32_t increment)
{
    DialogEntry* entry = CurrentOrFail();
    if (!entry) return;
    HWND field = FieldOrFail(*entry, fieldId);
    if (!field) return;
    if (!IsClass(field, PROGRESS_CLASSA)) {
        RaiseError(1006);
        return;
    }
    if (increment != 0) SendMessageA(field, PBM_DELTAPOS, value, 0);
    else SendMessageA(field, PBM_SETPOS, value, 0);
}
