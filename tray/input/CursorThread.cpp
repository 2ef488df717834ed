// The cursor's thread and the placement the listener hands it. The two share one
// word for the placement and one for display changes; the listener never waits for
// the thread, and the thread blocks whenever the cursor already shows what was asked.
#include "input/CursorThread.h"
#include "core/AppState.h"

CursorState g_cursor;
volatile BYTE g_cursorThreadReturned;

namespace {

// The last placement, whole in one word so that the thread never reads half of one:
// x in bits 0-14, y in bits 15-29, shown in bit 30. Written by the listener.
volatile LONG s_placement;
// Display changes so far. Written by the settings window.
volatile LONG s_displayChanges;
// 1 while the thread waits for news; whoever brings news takes it down and wakes it.
volatile LONG s_sleeping;
HANDLE s_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr); // auto-reset

const LONG COORDINATE_MASK = 0x7FFF, SHOWN_BIT = 1L << 30;
const int Y_SHIFT = 15;

LONG Coordinate(int value) { return value < 0 ? 0 : value > COORDINATE_MASK ? COORDINATE_MASK : value; }
int PlacedX(LONG placement) { return (int)(placement & COORDINATE_MASK); }
int PlacedY(LONG placement) { return (int)((placement >> Y_SHIFT) & COORDINATE_MASK); }
bool PlacedShown(LONG placement) { return (placement & SHOWN_BIT) != 0; }

void WakeIfSleeping()
{
    if (InterlockedExchange(&s_sleeping, 0) && s_wake)
        SetEvent(s_wake);
}

} // namespace

void PlaceCursor(int x, int y, bool shown)
{
    LONG placement = Coordinate(x) | (Coordinate(y) << Y_SHIFT) | (shown ? SHOWN_BIT : 0);
    if (InterlockedExchange(&s_placement, placement) != placement)
        WakeIfSleeping();
}

void NoteCursorDisplayChanged()
{
    InterlockedIncrement(&s_displayChanges);
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
    while (!g_terminate && s_wake) {
        LONG placement = s_placement, changes = s_displayChanges;
        if (placement == drawn && changes == changesSeen) {
            ShowCursorDrawing(g_cursor);
            InterlockedExchange(&s_sleeping, 1);
            // News that came before the flag went up is seen here; news after it wakes the event.
            if (s_placement == drawn && s_displayChanges == changesSeen && !g_terminate)
                WaitForSingleObject(s_wake, INFINITE);
            InterlockedExchange(&s_sleeping, 0);
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
    g_cursorThreadReturned = 1;
    return 0;
}
