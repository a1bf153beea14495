#pragma once
// Toolkit events: Windows messages turned into typed records. Messages are
// processed only inside QEventWait and QEventPeek (and modal loops).

#include <array>
#include <cstdint>

// Word 0 the window or dialog number; 1 to 4 values (a button's id; a
// redraw's client width and height); 5, 6 x and y; 11 the message time.
using EventRecord = std::array<int32_t, 12>;

enum : int32_t {
    kEventNone = -1,
    kEventButton = 3,
    kEventRedraw = 7,
    kEventResize = 8,
};

void QEventWait(int32_t& type, EventRecord& record);
// As QEventWait without waiting: type -1 and every word -1 when nothing is pending.
void QEventPeek(int32_t& type, EventRecord& record);
// Serves the messages waiting for the program's windows (paints, presses,
// what other programs send) without taking their events, which stay pending
// for QEventWait and QEventPeek: for long work between two looks at events.
void ServeWindowMessages();
// Disabled event types are never reported (all are enabled at start).
void QEventEnable(int32_t type, bool enabled);
