// The system's busy cursor around slow work.
#pragma once
#include <windows.h>

// Loads the busy cursor, once, at start-up: a cursor is found through the system's
// loader, which another vendor's library may hold later.
void LoadWaitCursor();
// The cursor loaded at start-up; null before.
HCURSOR WaitCursor();
void ShowWaitCursor(bool on);
