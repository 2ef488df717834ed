// The software cursor's own thread. Drawing the cursor reads the screen back, a round
// trip to the display that waits behind everything the display has still to do; the
// listener only says where the pointer is and goes on with the next report, and this
// thread draws the cursor there, at most once a display frame while the pointer keeps
// moving. With nothing to draw it sleeps until told otherwise.
#pragma once
#include <windows.h>
#include "core/SharedWord.h"
#include "input/Cursor.h"

// A screen shows no more than its refresh rate.
enum { CURSOR_FRAME_MS = 16 };

extern CursorState g_cursor;              // drawn only by CursorThread (and the exit handlers)
extern SharedFlag g_cursorThreadReturned;  // raised by CursorThread as it returns

DWORD WINAPI CursorThread(LPVOID);

// From the listener: the pointer stands at (x, y) and the cursor shows there when
// `shown`. Costs no wait; the cursor follows within a frame.
void PlaceCursor(int x, int y, bool shown);
// From the settings window: the display changed (a rotation). The cursor leaves the
// old screen and is drawn again on the new one.
void NoteCursorDisplayChanged();
// From termination, once the terminate flag is set: wakes the thread so that it returns.
void WakeCursorThread();
