// The software cursor: a small image painted straight onto the screen with a
// save-under copy, moved by the listener thread after every mouse report.
#pragma once
#include <windows.h>

struct CursorState {
    BYTE connected;          // the driver reported the mouse attached
    HDC saveDC;              // holds the save-under; null when nothing is saved
    HDC screenDC;            // valid during one DrawCursor call
    HDC imageDC;             // valid during one DrawCursor call
    HBITMAP saveBitmap;      // DRAX(10) x DRAY(20) copy of the screen beneath
    HGDIOBJ saveDCPrevious;
    HGDIOBJ imageDCPrevious;
    HBITMAP cursorImage;     // strip of ten shapes, loaded at start-up
    int lastX, lastY;        // where the cursor was last drawn
    int x, y;                // pointer position in screen pixels
    COLORREF probe1, probe2; // screen pixels sampled when the save-under was taken
};

extern CursorState g_cursor;

void DrawCursor(CursorState& state, int show);
void ShowWaitCursor(int on);

// Loads the cursor strip for the current scale factor from the install folder
// (start-up); a missing or unreadable file leaves a built-in arrow.
void LoadCursorImage(CursorState& state);
// Deletes the cursor strip (exit handler).
void FreeCursorImage(CursorState& state);
