#include <windows.h>

#include <string>

#include "errors/errors.h"
#include "utilities/fixed_text.h"
#include "windows/dialogs_internal.h"
#include "windows/events_internal.h"
#include "windows/message_box.h"
#include "windows/root_state.h"

int ShowToolkitBox(const std::string& text, const std::string& caption, UINT style)
{
    const bool redrawBefore = RedrawPending(kRootSlot);
    // The owner (a semi-modal dialog, else the root window) is disabled by
    // the box while it is up, the other windows by the section.
    HWND owner = MessageBoxOwner();
    int answer = 0;
    {
        ModalSection section(owner);
        answer = MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    }
    // What the box covered comes back from the root window's backing store
    // at once. Its redraw is no news to the program: a program that answers
    // redraws with a box (a missing picture) would otherwise get the box
    // again, endlessly.
    if (HWND root = TheRootState().window) {
        RedrawWindow(root, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (!redrawBefore) DropRedraw(kRootSlot);
    }
    return answer;
}

void QMsgBox(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view message, std::string_view caption)
{
    std::string text(TrimmedText(message.substr(0, 4096)));
    std::string title(TrimmedText(caption));
    SetStateWord(2, 0);
    const int answer = ShowToolkitBox(text, title, MessageBoxStyle(buttons, icon, defaultButton) | MB_SETFOREGROUND);
    // Anything but one of the box's buttons means it did not appear.
    const int32_t result = MessageBoxAnswer(answer);
    SetStateWord(4, result);
    if (result == -1) RaiseError(kErrorCommonDialog);
}
