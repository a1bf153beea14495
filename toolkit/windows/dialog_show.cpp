// Showing a dialog in the three modes: placed, focused, and for a modal
// dialog run until one of its buttons is pressed, in a modal section.
#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

#include "errors/errors.h"
#include "windows/dialog_table.h"
#include "windows/dialogs.h"
#include "windows/dialogs_internal.h"
#include "windows/events.h"
#include "windows/root_state.h"

namespace {

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
        reinterpret_cast<std::vector<std::pair<HWND, bool>>*>(states)->emplace_back(window,
                                                                                    IsWindowEnabled(window) != FALSE);
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
            RaiseError(kErrorRootHidden);
            return;
        }
        if (mode != kDialogModeless) RaiseError(kErrorDialogMode);
        mode = kDialogModeless;
    } else if (mode < kDialogModal || mode > kDialogSemiModal) {
        RaiseError(kErrorDialogMode);
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
