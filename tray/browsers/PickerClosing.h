// How a picker ends: OK, Cancel, and the closes that come from elsewhere (another
// program, Close Task, the picker hidden by another), also while a tree notice is
// under way or the system's loader is held.
#pragma once
#include <windows.h>
#include "browsers/PickerFrame.h"

enum {
    // The picker's own timer: it was hidden, and may have to end.
    PICKER_HIDDEN_TIMER = 1,
    // A picker hidden by another and not shown again within this time ends as
    // cancelled; Switch Task hides a window and shows it again behind the others.
    PICKER_HIDDEN_GRACE_MS = 1000,
};

// OK: ends the picker with its pick, unless nothing may be confirmed now or the pick
// or the second parameter is longer than a button holds.
void OnPickerOk(PickerState& picker);

// Ends the picker with nothing picked. The window is closed by the caller.
void CancelPicker(PickerState& picker);

// A close of the window (WM_CLOSE): true when it may close now. False when the close
// has to wait until the tree notice under way is over, or when the system's loader
// is held and the window was hidden and left instead.
bool PickerMayClose(PickerState& picker, HWND window);

// The window was hidden (WM_SHOWWINDOW): it is looked at again a while later.
void WatchHiddenPicker(HWND window);

// The hidden picker's timer: a picker still hidden ends as cancelled.
void CheckHiddenPicker(PickerState& picker, HWND window);

// Once the local loop is over: the window, if still there, is destroyed, or hidden
// and left while the system's loader is held.
void DestroyOrLeavePicker(PickerState& picker);
