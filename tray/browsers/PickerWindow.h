// A picker's window: its class, the window with its soft-key bar and controls,
// their layout on the screen, its messages, and the busy cursor.
#pragma once
#include <windows.h>
#include "browsers/PickerFrame.h"

// Makes the picker's window, full screen above its soft-key bar, and shows it; false
// when it cannot be made.
bool CreatePickerWindow(PickerState& picker, const WCHAR* title);

// The controls and the tree's first level; false when the tree cannot be made.
bool CreatePickerControls(PickerState& picker);

// Shows the picker's busy cursor; returns the cursor it replaced.
HCURSOR ShowPickerWaitCursor(const PickerState& picker);
