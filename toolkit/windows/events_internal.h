#pragma once
// What the window procedures and the event loop share.

#include <windows.h>

#include "windows/events.h"

// One pending-event slot per window: 0 the root window, 1 the dialogs.
constexpr int kEventSlots = 21;
constexpr int kRootSlot = 0;
constexpr int kDialogSlot = 1;

// Stores an event in its window's slot; a redraw or resize of a window that
// already has one pending merges with it.
void ProduceEvent(int slot, int32_t type, const EventRecord& record);
void ClearPendingEvents();
// Whether a window's slot holds a redraw or resize, and dropping it.
bool RedrawPending(int slot);
void DropRedraw(int slot);
bool AnyEventPending();
// Runs one message through the dialogs (keyboard navigation) or dispatches it.
void DispatchToolkitMessage(MSG& message);
// The time of the message being dispatched, for the event record.
DWORD CurrentMessageTime();
