// The software cursor: a small image painted straight onto the screen with a
// save-under copy of the pixels it covers, so that it can be taken away again.
// Only the cursor's own thread draws it (input/CursorThread.h).
#pragma once
#include <windows.h>
#include "ScopedWin.h"

// A bitmap selected into a memory DC of its own: pixels kept or composed off the
// screen. The bitmap is declared first, so that the DC holding it goes before it.
struct MemorySurface {
    ScopedBitmap bitmap;
    ScopedMemoryDC dc; // null while there is no surface
    HGDIOBJ previous;  // what the DC held before the bitmap
    int width, height;
};

struct CursorState {
    ScopedBitmap cursorImage; // strip of shapes, loaded at start-up
    ScopedGetDC screen;       // the whole screen's context, kept while the screen stays the same
    MemorySurface saved;      // the screen beneath the cell; no DC when nothing is saved
    MemorySurface canvas;     // where a screen area is composed: made once, two cells each way, and kept
    int x, y;                 // where the cursor is to be drawn, in screen pixels
    int lastX, lastY;         // where it was last drawn or taken away
    bool onScreen;            // its pixels were painted at lastX, lastY and not taken away
    bool unshown;             // written to the screen since the display last answered
    COLORREF probe1, probe2;  // screen pixels beneath the cell when the save-under was taken
    // The screen the context, the save-under and the canvas belong to: a display
    // change (a rotation) leaves them behind.
    int screenWidth, screenHeight, cellWidth, cellHeight;
};

// Takes the cursor away from where it was drawn and, when `show` is nonzero, draws
// it at (x, y). Every area read from the screen and written back is held to the
// screen; on a screen whose size changed since the last drawing, nothing of the old
// drawing is written back: the windows beneath are asked to repaint it.
void DrawCursor(CursorState& state, int show);

// A window system may hold drawing in a queue until something waits on its answer
// (Wine does, per process): a pixel read back makes the display take the drawing now.
// Each drawing reads the screen first, which shows the one before it; this is for the
// last drawing before the cursor rests.
void ShowCursorDrawing(CursorState& state);

// Lets go of the screen's context, the save-under and the canvas, on the thread that
// drew (its end, tests): a window's context is given back by the thread that took it.
void ReleaseCursorDrawing(CursorState& state);
