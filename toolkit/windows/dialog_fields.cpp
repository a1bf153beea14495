// The field operations on the current dialog.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "windows/dialog_table.h"
#include "windows/dialogs.h"

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
        RaiseError(kErrorFieldRange);
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
        RaiseError(kErrorFieldId);
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
        RaiseError(kErrorProgressRange);
        return;
    }
    if (!IsClass(field, PROGRESS_CLASSA)) {
        RaiseError(kErrorFieldId);
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
        RaiseError(kErrorFieldId);
        return;
    }
    if (increment != 0)
        SendMessageA(field, PBM_DELTAPOS, value, 0);
    else
        SendMessageA(field, PBM_SETPOS, value, 0);
}
