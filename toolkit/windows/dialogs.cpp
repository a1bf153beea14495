// Dialogs: the table of loaded dialogs, loading with the field-information
// block, selecting, unloading, and what the rest of the toolkit asks of them.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "utilities/later_calls.h"
#include "utilities/saturate.h"
#include "windows/dialog_table.h"
#include "windows/dialogs.h"
#include "windows/dialogs_internal.h"
#include "windows/events_internal.h"
#include "windows/field_info.h"
#include "windows/gdi_objects.h"
#include "windows/root_state.h"

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
    if (!entry) RaiseError(kErrorNoDialogs);
    return entry;
}

HWND FieldOrFail(const DialogEntry& entry, int32_t fieldId)
{
    HWND field = GetDlgItem(entry.window, fieldId);
    if (!field) RaiseError(kErrorFieldId);
    return field;
}

bool IsClass(HWND window, const char* name)
{
    char found[64] = {};
    GetClassNameA(window, found, sizeof found);
    return lstrcmpiA(found, name) == 0;
}

LONG ButtonKind(HWND button) { return GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK; }

namespace {

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
        auto clamp16 = [](double x) { return SaturatingInt32(x, 0, 65535); };
        // Numbers as the controls take them: never a negative real made unsigned.
        auto whole = [](double x) { return static_cast<LPARAM>(SaturatingInt32(x)); };
        auto count = [](double x) { return static_cast<WPARAM>(SaturatingInt32(x, 0)); };
        switch (line.section) {
        case FieldSection::Ranges:
            if (IsClass(field, PROGRESS_CLASSA)) {
                SendMessageA(field, PBM_SETRANGE32, clamp16(v[0]), clamp16(v[1]));
                SendMessageA(field, PBM_SETPOS, InitialNumber(field), 0);
            } else if (IsClass(field, TRACKBAR_CLASSA)) {
                SendMessageA(field, TBM_SETRANGEMIN, FALSE, whole(v[0]));
                SendMessageA(field, TBM_SETRANGEMAX, FALSE, whole(v[1]));
                SendMessageA(field, TBM_SETPOS, TRUE, InitialNumber(field));
            }
            break;
        case FieldSection::Menus: {
            const bool list = IsClass(field, "ListBox");
            if (!list && !IsClass(field, "ComboBox")) break;
            SendMessageA(field, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
            for (const std::string& item : line.items)
                SendMessageA(field, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
            const int k = SaturatingInt32(v[1]);
            SendMessageA(field, list ? LB_SETCURSEL : CB_SETCURSEL, k > 0 ? k - 1 : -1, 0);
            break;
        }
        case FieldSection::Checks: SendMessageA(field, BM_SETCHECK, v[0] != 0 ? BST_CHECKED : BST_UNCHECKED, 0); break;
        case FieldSection::Colours: {
            const COLORREF background = ColourOf(v[3], v[4], v[5]);
            entry.colours[line.id] = {ColourOf(v[0], v[1], v[2]), background,
                                      GdiObject<HBRUSH>(CreateSolidBrush(background))};
            break;
        }
        case FieldSection::Trackbars:
            if (!IsClass(field, TRACKBAR_CLASSA)) break;
            SendMessageA(field, TBM_SETTICFREQ, count(v[0]), 0);
            SendMessageA(field, TBM_SETLINESIZE, 0, whole(v[1]));
            SendMessageA(field, TBM_SETPAGESIZE, 0, whole(v[2]));
            if (GetWindowLongA(field, GWL_STYLE) & TBS_ENABLESELRANGE) {
                if (v[3] == v[4])
                    SendMessageA(field, TBM_CLEARSEL, TRUE, 0);
                else
                    SendMessageA(field, TBM_SETSEL, TRUE,
                                 MAKELPARAM(SaturatingInt32(v[3], 0, 65535), SaturatingInt32(v[4], 0, 65535)));
            }
            break;
        case FieldSection::Lengths:
            if (IsClass(field, "Edit"))
                SendMessageA(field, EM_LIMITTEXT, count(v[0]), 0);
            else if (IsClass(field, "ComboBox"))
                SendMessageA(field, CB_LIMITTEXT, count(v[0]), 0);
            break;
        case FieldSection::Tabs:  // tab pages are not part of this toolkit's dialogs
        case FieldSection::Grids: break;
        }
    }
}

}  // namespace

void EndSemiModal(DialogEntry& entry)
{
    DialogState& d = Dialogs();
    if (entry.mode != kDialogSemiModal || !entry.shown) return;
    d.semiModalCount = std::max(0, d.semiModalCount - 1);
    if (d.semiModalCount == 0 && TheRootState().window) EnableWindow(TheRootState().window, TRUE);
}

namespace {

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

// Loads the libraries of fields that are not loaded yet: true if one was.
bool LoadFieldLibraries()
{
    bool loaded = !GetModuleHandleA("comctl32.dll") && StartCommonControls();
    if (!GetModuleHandleA("riched32.dll") && LoadLibraryA("riched32.dll")) loaded = true;
    return loaded;
}

}  // namespace

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
        RaiseError(kErrorLoadDialog);
        return;
    }
    const bool child = (TemplateStyle(templ) & WS_CHILD) != 0;
    const RootState& root = TheRootState();
    HWND parent = child ? root.client : root.window;
    if (child && !parent) {
        RaiseError(kErrorLoadDialog);
        return;
    }
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), parent, DialogProc, 0);
    // The common controls and the rich-edit library cost a third of the time
    // to the first page: they come with the first dialog that cannot be made
    // without its fields.
    if (!window && LoadFieldLibraries())
        window = CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), parent, DialogProc, 0);
    if (!window) {
        RaiseError(kErrorLoadDialog);
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
        RaiseError(kErrorSelectDialog);
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
