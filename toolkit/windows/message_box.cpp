#include <windows.h>

#include <string>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "windows/dialogs_internal.h"
#include "windows/message_box.h"

void QMsgBox(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view message, std::string_view caption)
{
    std::string text(TrimmedText(message.substr(0, 4096)));
    std::string title(TrimmedText(caption));
    SetStateWord(2, 0);
    // The owner (a semi-modal dialog, else the root window) is disabled while the box is up.
    int answer = MessageBoxA(MessageBoxOwner(), text.c_str(), title.c_str(),
                             MessageBoxStyle(buttons, icon, defaultButton) | MB_SETFOREGROUND);
    // Anything but one of the box's buttons means it did not appear.
    const int32_t result = MessageBoxAnswer(answer);
    SetStateWord(4, result);
    if (result == -1) RaiseError(1004);
}
