// The cursor's thread and the placement the listener hands it. The two share one
// word for the placement and one for display changes; the listener never waits for
// the thread, and the thread blocks whenever the cursor already shows what was asked.
#include "input/CursorThread.h"
#include "core/AppState.h"

CursorState g_cursor;
SharedFlag g_cursorThreadReturned;

namespace {

// The last placement, whole in one word so that the thread never reads half of one:
// x in bits 0-14, y in bits 15-29, shown in bit 30. Written by the listener.
SharedWord s_placement;
// Display changes so far. Written by the settings window.
SharedWord s_displayChanges;
// Raised by the thread while it waits for news; whoever brings news lowers it and wakes it.
SharedFlag s_sleeping;
HANDLE s_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr); // auto-reset

const LONG COORDINATE_MASK = 0x7FFF, SHOWN_BIT = 1L << 30;
const int Y_SHIFT = 15;

LONG Coordinate(int value) { return value < 0 ? 0 : value > COORDINATE_MASK ? COORDINATE_MASK : value; }
int PlacedX(LONG placement) { return (int)(placement & COORDINATE_MASK); }
int PlacedY(LONG placement) { return (int)((placement >> Y_SHIFT) & COORDINATE_MASK); }
bool PlacedShown(LONG placement) { return (placement & SHOWN_BIT) != 0; }

void WakeIfSleeping()
{
    if (s_sleeping.Lower() && s_wake)
        SetEvent(s_wake);
}

} // namespace

void PlaceCursor(int x, int y, bool shown)
{
    LONG placement = Coordinate(x) | (Coordinate(y) << Y_SHIFT) | (shown ? SHOWN_BIT : 0);
    if (s_placement.Exchange(placement) != placement)
        WakeIfSleeping();
}

void NoteCursorDisplayChanged()
{
    s_displayChanges.Increment();
    WakeIfSleeping();
}

void WakeCursorThread()
{
    if (s_wake)
        SetEvent(s_wake);
}

DWORD WINAPI CursorThread(LPVOID)
{
    LONG drawn = 0, changesSeen = 0; // what the cursor shows: hidden at (0, 0) on the screen of start-up
    while (!g_terminate.IsSet() && s_wake) {
        LONG placement = s_placement.Get(), changes = s_displayChanges.Get();
        if (placement == drawn && changes == changesSeen) {
            ShowCursorDrawing(g_cursor);
            s_sleeping.Set(true);
            // News that came before the flag went up is seen here; news after it wakes the event.
            if (s_placement.Get() == drawn && s_displayChanges.Get() == changesSeen && !g_terminate.IsSet())
                WaitForSingleObject(s_wake, INFINITE);
            s_sleeping.Set(false);
            continue;
        }
        DWORD started = GetTickCount();
        g_cursor.x = PlacedX(placement);
        g_cursor.y = PlacedY(placement);
        DrawCursor(g_cursor, PlacedShown(placement));
        drawn = placement;
        changesSeen = changes;
        // While the pointer keeps moving, the next drawing waits for the next frame.
        DWORD spent = GetTickCount() - started;
        if (spent < CURSOR_FRAME_MS)
            Sleep(CURSOR_FRAME_MS - spent);
    }
    // The screen's context is given back by the thread that took it; the cursor stays
    // where it was last drawn.
    ReleaseCursorDrawing(g_cursor);
    g_cursorThreadReturned.Set(true);
    return 0;
}
