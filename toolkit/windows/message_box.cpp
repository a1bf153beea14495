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
    const int32_t result = answer == 0 ? -1 : MessageBoxAnswer(answer);
    SetStateWord(4, result);
    if (answer == 0) RaiseError(1004);
}
