// The cursor strip: ten shapes side by side, magenta where transparent.
#pragma once
#include <windows.h>
#include "input/Cursor.h"

// Loads the cursor strip for the current scale factor from the install folder
// (start-up); a missing or unreadable file, or one smaller than a cell, leaves a
// built-in arrow.
void LoadCursorImage(CursorState& state);
// Deletes the cursor strip (exit handler).
void FreeCursorImage(CursorState& state);

// A one-cell strip holding a plain arrow whose tip is the cell's top-left pixel,
// for a device without a readable cursor file. Null when GDI has no room.
HBITMAP CreateBuiltInCursor(int cellWidth, int cellHeight);
