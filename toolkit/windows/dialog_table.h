#pragma once
// The table of loaded dialogs, shared by the files of the dialog manager.

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "windows/gdi_objects.h"

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

DialogState& Dialogs();
// Index in the table of the dialog with that resource id, or of that window; -1 when none.
int FindDialog(int32_t id);
int FindDialogWindow(HWND window);
// The current dialog; null when none (the OrFail forms raise the error).
DialogEntry* Current();
DialogEntry* CurrentOrFail();
HWND FieldOrFail(const DialogEntry& entry, int32_t fieldId);
bool IsClass(HWND window, const char* name);
LONG ButtonKind(HWND button);
// A shown semi-modal dialog that goes: the root window is enabled again with the last one.
void EndSemiModal(DialogEntry& entry);
void RemoveEntry(int index);
