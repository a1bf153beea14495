#pragma once
// The dialog manager: dialogs loaded from the program's resources, kept in a
// table, one of them current; every field operation works on the current one.

#include <cstdint>
#include <string_view>

enum : int32_t {
    kDialogModal = 1,
    kDialogModeless = 2,
    kDialogSemiModal = 3,
};

void QDlgLoad(int32_t resourceId);
void QDlgSelect(int32_t resourceId);
void QDlgUnload(int32_t flag = 0);
void QDlgTitle(std::string_view text);
void QDlgShow(int32_t x, int32_t y, int32_t focusId, int32_t mode = kDialogModeless);
void QDlgPutText(int32_t fieldId, std::string_view text);
void QDlgPutCheck(int32_t fieldId, int32_t state);
void QDlgGetCheck(int32_t fieldId, int32_t& state);
void QDlgFieldState(int32_t fieldId, int32_t state);
void QDlgRange(int32_t fieldId, int32_t minimum, int32_t maximum);
void QDlgProgress(int32_t fieldId, int32_t value, int32_t increment = 0);

// 3: resource id of the current dialog (0 for none); 4: answer of the last
// message box or directory browser; 1, 2, 5: state words of modal dialogs.
int32_t QStateInfo(int32_t item);
