// One mouse report from the driver turned into pointer input.
#pragma once
#include <windows.h>
#include "input/Pointer.h"

void ProcessMouseReport(PointerState& pointer, DWORD report, DWORD buttons);

// Releases every button that the program pressed and has not released yet
// (mouse detached, shutdown): a held button never outlives the device that held it.
void ReleaseHeldButtons(PointerState& pointer);

// Forgets the sub-pixel movement carried between reports (a new mouse, tests).
void ResetMotionRemainder(PointerState& pointer);
