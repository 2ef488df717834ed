// The picker frame that the applet and program browsers share: a full-screen window
// with a read-only top edit (the current choice), a tree, a bottom edit (the second
// parameter) and an OK/Cancel soft-key bar, run in a local message loop until the
// user confirms or cancels. Each browser gives its own values and tree handling.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <aygshell.h>
#include "ScopedWin.h"
#include "core/AppState.h"
#include "core/Settings.h"

enum {
    PICKER_IMAGE_EXPANDED = 0,
    PICKER_IMAGE_COLLAPSED = 1,
    PICKER_IMAGE_LEAF = 2, // an applet, or a program file
    PICKER_IMAGE_COUNT = 3,
    PICKER_RETURN_PAIR_MS = 2000, // two return keys within this confirm
    PICKER_CLASS_CHARS = 64,
    // A picker hidden by another and not shown again within this time ends as
    // cancelled; Switch Task hides a window and shows it again behind the others.
    PICKER_HIDDEN_GRACE_MS = 1000,
    // The longest text a pick may hand back: what a button's texts hold. A longer
    // text cannot be typed, and a longer reference or path cannot be confirmed.
    PICKER_TEXT_MAX = PARAM_CHARS - 1,
};

struct PickerState;

// What differs between the two pickers.
struct PickerKind {
    const WCHAR* classBase; // window class base name
    int treeId, topEditId, bottomEditId;
    bool waitCursorWhileBuilding;
    bool disableOwner;
    bool hideStartIconAgain; // a second SHFullScreen with SHFS_HIDESTARTICON alone
    WNDPROC windowProc;      // the picker's own procedure; it calls PickerWindowProc
    void (*fillFirstLevel)(PickerState& picker);
    void (*expand)(PickerState& picker, HWND tree, HTREEITEM node); // after the node's images are set
    void (*select)(PickerState& picker, HWND tree, HTREEITEM node); // node may be null
    void (*doubleTap)(PickerState& picker, HWND tree, HTREEITEM node);
};

// One static record per picker kind.
struct PickerState {
    const PickerKind* kind;
    ScopedBitmap strip;
    ScopedImageList images;
    HINSTANCE instance;
    HWND owner, window, tree, topEdit, bottomEdit, menuBar;
    HWND previousFront; // in front when the picker opened
    // Left hidden, with its class and what its controls use, when the system's loader
    // was held as it closed; destroyed at the next opening, once the loader answers.
    HWND leftWindow;
    HCURSOR waitCursor; // the program's, loaded at start-up
    SHACTIVATEINFO activateInfo; // the shell's record of the picker's activation
    int busy;           // sessions with a library being waited for: the busy cursor shows
    ScopedFont font;
    DWORD lastReturnTick; // kept across openings
    BYTE returnSeen;      // a return key has come since the program started
    int dpi;              // LOGPIXELSY, read once; 0 until read
    BYTE valid;           // the current selection may be confirmed
    BYTE done;            // OK or Cancel: the local loop ends
    BYTE accepted;        // ended by OK: only then are the results handed back
    int noticeDepth;      // tree notices being handled
    BYTE closeDeferred;   // a close came during one: it is done once they are over
    WCHAR secondParameter[TEXT_CHARS];
    WCHAR filter[TEXT_CHARS];
    WCHAR result[TEXT_CHARS];
    WCHAR className[PICKER_CLASS_CHARS];
    ScopedWindowClass windowClass; // className, for the opening that uses it
};

// Opens the picker, runs it until it closes and hands back the results: the
// caller's two buffers of TEXT_CHARS characters receive the result text and the
// second parameter, or stay empty. Returns when the picker has closed.
void RunPicker(PickerState& picker, const PickerKind& kind, HINSTANCE instance, HWND owner, const WCHAR* title,
               const WCHAR* filter, WCHAR* resultPath, WCHAR* secondParameter, const WCHAR* stripPath);

// The frame's message handling, called by each picker's window procedure.
LRESULT PickerWindowProc(PickerState& picker, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The full path of a node into `out` (TEXT_CHARS): "\" and the names below the
// root down to the node, joined by "\"; "\\" for the root itself. It is built
// backwards, each name reversed, and turned round at the end; with `logSteps` every
// ancestor step and the reversed path so far are written to the debug log. 1 on
// success; 0, with `out` empty, when the tree refuses a read or the path does not fit.
int GetFullItemPath(HWND tree, HTREEITEM node, WCHAR* out, bool logSteps);

// The node's search pattern into `out` (TEXT_CHARS): its full path and "\*.*", "\*.*"
// for the root folder; below a top level other than the root folder (a library of
// the applet picker) without the leading separator. 1 on success; 0, with `out`
// empty, when the tree refuses a read or the pattern does not fit.
int GetItemPath(HWND tree, HTREEITEM item, WCHAR* out);

// A node's text (TEXT_CHARS) and, when `image` is given, its image. FALSE, with the
// text empty, when the tree refuses.
BOOL ReadItemText(HWND tree, HTREEITEM item, WCHAR* text, int* image = nullptr);
HTREEITEM ParentItem(HWND tree, HTREEITEM item);

// Shows the picker's busy cursor; returns the cursor it replaced.
HCURSOR ShowPickerWaitCursor(const PickerState& picker);

// Whether the picker is ending (OK, Cancel, a close, or the program's end): work
// for it that is still waited for is left.
bool PickerEnding(const PickerState& picker);

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
