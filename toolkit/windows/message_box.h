#pragma once
// Modal message boxes; the answer is read with QStateInfo(4).

#include <cstdint>
#include <string_view>

enum : int32_t {
    kButtonsOk = 0,
    kButtonsOkCancel = 1,
    kButtonsRetryCancel = 2,
    kButtonsYesNo = 3,
    kButtonsYesNoCancel = 4,
    kButtonsAbortRetryIgnore = 5,
};

enum : int32_t { kIconStop = 1, kIconQuestion = 2, kIconExclamation = 3, kIconInformation = 4 };

// Answers: 1 OK, Yes or Retry; 2 No or Abort; 0 Cancel or Ignore; -1 the box did not appear.
void QMsgBox(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view message, std::string_view caption);

// The flags and answer mapping behind QMsgBox. Portable.
uint32_t MessageBoxStyle(int32_t buttons, int32_t icon, int32_t defaultButton);
int32_t MessageBoxAnswer(int buttonId);
