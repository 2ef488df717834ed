// A picker's tree: what its notices do (a node expanded or collapsed, a selection,
// a double tap, the return key), and the filling of a level under the busy cursor.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "browsers/PickerFrame.h"

// Handles a notice from the picker's tree (WM_NOTIFY).
LRESULT OnPickerNotify(PickerState& picker, const NMHDR* header);

// Fills a level of a picker's tree below `parent` (null: the first level): the busy
// cursor is shown for the scope. A level whose nodes show as they come (the first
// level) is filled with the tree's redrawing held and drawn once: redrawn after each
// insertion, 2,000 libraries took seconds. Below a node that is being expanded the
// nodes do not show yet, and resuming the redrawing would measure the whole tree
// again for nothing. Afterwards the cursor is the one before, or none (the program
// picker's rule).
enum CursorAfterFill { RESTORE_CURSOR, NO_CURSOR };
class LevelFill {
public:
    LevelFill(const PickerState& picker, HWND tree, HTREEITEM parent, CursorAfterFill after);
    ~LevelFill();
    LevelFill(const LevelFill&) = delete;
    LevelFill& operator=(const LevelFill&) = delete;

private:
    HWND tree_;
    HCURSOR after_;
    bool held_;
};
