#pragma once
// The page dialogs: the frame the four pages share, the initial, finish and
// system configuration pages, and the page picture on the background.

#include <cstdint>

#include "driver/install_state.h"

void ShowInitialPage(Logical& status);
void ShowFinishPage(Logical& status);
void ShowSystemPage(Logical& status);
// Draws the picture named by bannerPath on the background, or says that it is missing.
void ShowPagePicture();

// The frame, shared with the directory page.
// Loads the page's dialog with its caption and message.
void LoadPage(int32_t page, int32_t dialog);
// Paints the background in the page's mode and draws its picture, if any.
void PaintPage(int32_t page, int32_t backgroundMode);
// Shows the loaded dialog semi-modal: centred, or with its top at a fifth of the screen.
void ShowPageDialog(bool topAtFifth);
// Removes a page still on the screen once the next one is up.
void RemovePreviousPage(int32_t previousDialog, int32_t currentDialog);
// Waits for a push button of the page's dialog, repainting the page on
// redraws; the button's id. Presses on other dialogs still up are no answer.
int32_t WaitForPageButton(int32_t page, int32_t dialog, int32_t backgroundMode);

constexpr int32_t kPageOk = 1;
constexpr int32_t kPageCancel = 2;
