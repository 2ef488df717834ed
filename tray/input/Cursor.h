// The software cursor: a small image painted straight onto the screen with a
// save-under copy, moved by the listener thread as mouse reports come.
#pragma once
#include <windows.h>
#include "ScopedWin.h"

// A drawing reads and writes the screen, a round trip to the display that costs
// more than all the rest of a report. A screen shows no more than its refresh
// rate, so while reports keep coming the cursor is drawn at most once a frame.
enum { CURSOR_FRAME_MS = 16 };

struct CursorState {
    BYTE connected;          // the driver reported the mouse attached
    ScopedBitmap saveBitmap; // DRAX(10) x DRAY(20) copy of the screen beneath
    ScopedMemoryDC saveDC;   // holds the save-under; null when nothing is saved; goes before it
    HDC screenDC;            // the whole screen's context, taken at the first draw and kept
    HGDIOBJ saveDCPrevious;
    ScopedBitmap cursorImage; // strip of ten shapes, loaded at start-up
    int lastX, lastY;        // where the cursor was last drawn
    int x, y;                // pointer position in screen pixels
    COLORREF probe1, probe2; // screen pixels sampled when the save-under was taken
    DWORD drawnTick;         // GetTickCount of the last drawing
    BYTE drawDue;            // the pointer moved since: a drawing is due by the frame's end
};

extern CursorState g_cursor;

// Takes the cursor away from where it was drawn and, when `show` is nonzero, draws
// it at the pointer position.
void DrawCursor(CursorState& state, int show);

// The pointer moved: the cursor is drawn there now when its last drawing is a frame
// old, otherwise the drawing is due at the frame's end (DrawDueCursor).
void FollowPointer(CursorState& state);
// Milliseconds until a due drawing is to be made (0: now); INFINITE when none is due.
DWORD CursorDueIn(const CursorState& state);
// Makes a due drawing, so that the cursor ends where the pointer is when reports stop.
void DrawDueCursor(CursorState& state);
