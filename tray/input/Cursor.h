// The software cursor: a small image painted straight onto the screen with a
// save-under copy, moved by the listener thread after every mouse report.
#pragma once
#include <windows.h>

struct CursorState {
    BYTE connected;          // the driver reported the mouse attached
    HDC saveDC;              // holds the save-under; null when nothing is saved
    HDC screenDC;            // the whole screen's context, taken at the first draw and kept
    HBITMAP saveBitmap;      // DRAX(10) x DRAY(20) copy of the screen beneath
    HGDIOBJ saveDCPrevious;
    HBITMAP cursorImage;     // strip of ten shapes, loaded at start-up
    int lastX, lastY;        // where the cursor was last drawn
    int x, y;                // pointer position in screen pixels
    COLORREF probe1, probe2; // screen pixels sampled when the save-under was taken
};

extern CursorState g_cursor;

// Takes the cursor away from where it was drawn and, when `show` is nonzero, draws
// it at the pointer position.
void DrawCursor(CursorState& state, int show);
