// Holding the backlight on while input arrives.
#pragma once
#include <windows.h>

// Takes (on) or drops (off) the requirement that keeps the backlight at full power.
void SetBacklightRequirement(int on);
// Records an input's time and holds the backlight on.
void NoteInputActivity();
// Drops the requirement when no input came for more than `timeout` milliseconds.
void ReleaseBacklightAfterQuiet(DWORD timeout);
