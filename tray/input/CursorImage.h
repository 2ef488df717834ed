// The cursor strip: ten shapes side by side, magenta where transparent.
#pragma once
#include <windows.h>

// A one-cell strip holding a plain arrow whose tip is the cell's top-left pixel,
// for a device without a readable cursor file. Null when GDI has no room.
HBITMAP CreateBuiltInCursor(int cellWidth, int cellHeight);
