#pragma once
// What the dialog manager shares with the rest of the toolkit's windows.

#include <windows.h>

#include <cstdint>

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
