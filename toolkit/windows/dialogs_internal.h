#pragma once
// What the dialog manager shares with the rest of the toolkit's windows.

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

void UnloadAllDialogs();
// Handles a message meant for a shown dialog (keyboard navigation, the
// default button); false when it is not one.
bool HandleDialogMessage(MSG& message);
// The current semi-modal dialog, else the root window.
HWND MessageBoxOwner();
// The window of the current dialog; null when no dialog is current.
HWND CurrentDialogWindow();
// Makes owner the window that owns message boxes (null: the usual rule) and
// returns the one it replaces: a modal window owns the questions it asks.
HWND ReplaceMessageBoxOwner(HWND owner);
// The state words read by QStateInfo.
void SetStateWord(int32_t item, int32_t value);

// While a modal window is up, every other visible top-level window of this
// thread waits for it: entering disables them, leaving gives each the state
// it had (the root window stays disabled under a semi-modal page). The spared
// window is a box's owner, which the box disables and enables itself.
class ModalSection {
public:
    explicit ModalSection(HWND spared = nullptr);
    ModalSection(const ModalSection&) = delete;
    ModalSection& operator=(const ModalSection&) = delete;
    ~ModalSection() { End(); }
    // Leaves early: before a modal window hides, so that its owner can be active again.
    void End();

private:
    std::vector<std::pair<HWND, bool>> states_;
};

// A message box owned as the toolkit's boxes are, in a modal section; the
// background it covered is back when it returns. MessageBoxA's answer.
int ShowToolkitBox(const std::string& text, const std::string& caption, UINT style);
