// Pending-event slots and the message loop behind QEventWait and QEventPeek.
#include <windows.h>

#include <array>

#include "utilities/later_calls.h"
#include "windows/dialogs_internal.h"
#include "windows/events_internal.h"
#include "windows/root_state.h"

namespace {

struct Slot {
    bool pending = false;
    int32_t type = kEventNone;
    EventRecord record{};
};

struct EventState {
    std::array<Slot, kEventSlots> slots;
    std::array<bool, 64> disabled{};
    DWORD messageTime = 0;
};

EventState& Events()
{
    static EventState state;
    return state;
}

bool IsRedraw(int32_t type) { return type == kEventRedraw || type == kEventResize; }

// The current client size of the window a redraw belongs to.
void RefreshRedrawSize(int slot, EventRecord& record)
{
    if (slot != kRootSlot || !TheRootState().client) return;
    RECT r{};
    GetClientRect(TheRootState().client, &r);
    record[1] = r.right - r.left;
    record[2] = r.bottom - r.top;
    record[5] = record[6] = 0;
}

bool TakePending(int32_t& type, EventRecord& record)
{
    EventState& e = Events();
    for (int i = 0; i < kEventSlots; ++i) {
        Slot& slot = e.slots[static_cast<std::size_t>(i)];
        if (!slot.pending) continue;
        type = slot.type;
        record = slot.record;
        if (IsRedraw(type)) RefreshRedrawSize(i, record);
        slot = Slot{};
        return true;
    }
    return false;
}

void SetNone(int32_t& type, EventRecord& record)
{
    type = kEventNone;
    record.fill(-1);
}

}  // namespace

void ProduceEvent(int slot, int32_t type, const EventRecord& record)
{
    EventState& e = Events();
    if (slot < 0 || slot >= kEventSlots) return;
    if (type >= 0 && type < static_cast<int32_t>(e.disabled.size()) && e.disabled[static_cast<std::size_t>(type)])
        return;
    Slot& s = e.slots[static_cast<std::size_t>(slot)];
    if (s.pending && IsRedraw(s.type) && IsRedraw(type)) {
        // One repaint covers both; a redraw outranks a resize.
        if (type == kEventRedraw) s.type = kEventRedraw;
        s.record[11] = record[11];
        return;
    }
    s.pending = true;
    s.type = type;
    s.record = record;
}

void ClearPendingEvents()
{
    for (Slot& s : Events().slots) s = Slot{};
}

bool RedrawPending(int slot)
{
    if (slot < 0 || slot >= kEventSlots) return false;
    const Slot& s = Events().slots[static_cast<std::size_t>(slot)];
    return s.pending && IsRedraw(s.type);
}

void DropRedraw(int slot)
{
    if (RedrawPending(slot)) Events().slots[static_cast<std::size_t>(slot)] = Slot{};
}

bool AnyEventPending()
{
    for (const Slot& s : Events().slots)
        if (s.pending) return true;
    return false;
}

DWORD CurrentMessageTime() { return Events().messageTime; }

void DispatchToolkitMessage(MSG& message)
{
    Events().messageTime = message.time;
    if (HandleDialogMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void QEventWait(int32_t& type, EventRecord& record)
{
    for (;;) {
        if (TakePending(type, record)) return;
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The loop is over: nothing more will come.
                PostQuitMessage(static_cast<int>(message.wParam));
                SetNone(type, record);
                return;
            }
            DispatchToolkitMessage(message);
            continue;
        }
        // PeekMessage has run the messages other processes sent (a BM_CLICK
        // of an assistive tool): their events are in the slots now, and
        // GetMessage would not return for them until something is posted.
        if (TakePending(type, record)) return;
        if (WaitForHandlesOrInput(0, nullptr, INFINITE) == WAIT_FAILED) {
            SetNone(type, record);
            return;
        }
    }
}

void ServeWindowMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the event loop to see
            return;
        }
        DispatchToolkitMessage(message);
    }
}

void QEventPeek(int32_t& type, EventRecord& record)
{
    MSG message;
    while (!AnyEventPending() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchToolkitMessage(message);
    }
    if (!TakePending(type, record)) SetNone(type, record);
}

void QEventEnable(int32_t type, bool enabled)
{
    EventState& e = Events();
    if (type >= 0 && type < static_cast<int32_t>(e.disabled.size()))
        e.disabled[static_cast<std::size_t>(type)] = !enabled;
}
