// Message-box flags as Windows defines them; kept here so the rules can be
// tested without Windows.
#include "windows/message_box.h"

namespace {
constexpr uint32_t kOk = 0x0, kOkCancel = 0x1, kAbortRetryIgnore = 0x2, kYesNoCancel = 0x3, kYesNo = 0x4,
                   kRetryCancel = 0x5;
constexpr uint32_t kStop = 0x10, kQuestion = 0x20, kExclamation = 0x30, kInformation = 0x40;
constexpr uint32_t kDefault1 = 0x000, kDefault2 = 0x100, kDefault3 = 0x200;
constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7;
}  // namespace

uint32_t MessageBoxStyle(int32_t buttons, int32_t icon, int32_t defaultButton)
{
    uint32_t style = 0;
    int count = 2;
    switch (buttons) {
    case kButtonsOkCancel: style = kOkCancel; break;
    case kButtonsRetryCancel: style = kRetryCancel; break;
    case kButtonsYesNo: style = kYesNo; break;
    case kButtonsYesNoCancel:
        style = kYesNoCancel;
        count = 3;
        break;
    case kButtonsAbortRetryIgnore:
        style = kAbortRetryIgnore;
        count = 3;
        break;
    default:
        style = kOk;
        count = 1;
        break;
    }
    switch (icon) {
    case kIconStop: style |= kStop; break;
    case kIconQuestion: style |= kQuestion; break;
    case kIconExclamation: style |= kExclamation; break;
    case kIconInformation: style |= kInformation; break;
    default: break;
    }
    if (count == 2) style |= defaultButton == 1 ? kDefault1 : kDefault2;
    if (count == 3) style |= defaultButton == 1 ? kDefault1 : defaultButton == 2 ? kDefault2 : kDefault3;
    return style;
}

int32_t MessageBoxAnswer(int buttonId)
{
    switch (buttonId) {
    case kIdOk:
    case kIdYes:
    case kIdRetry: return 1;
    case kIdNo:
    case kIdAbort: return 2;
    case kIdCancel:
    case kIdIgnore: return 0;
    default: return -1;
    }
}
