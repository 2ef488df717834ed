// The picker frame that the applet and program browsers share: a full-screen window
// with a read-only top edit (the current choice), a tree, a bottom edit (the second
// parameter) and an OK/Cancel soft-key bar, run in a local message loop until the
// user confirms or cancels. Each browser gives its own values and tree handling.
// The frame's files: PickerLoop (opening, local loop, closing), PickerWindow (class,
// window, controls, layout, messages), PickerClosing (OK, Cancel, closes from
// elsewhere), PickerTree (tree notices, filling a level), PickerTreePaths (node paths).
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
    // The longest text a pick may hand back: what a button's texts hold. A longer
    // text cannot be typed, and a longer reference or path cannot be confirmed.
    PICKER_TEXT_MAX = PARAM_CHARS - 1,
};

struct PickerState;

// What differs between the two pickers.
struct PickerKind {
    const WCHAR* className; // the window class, registered at the first opening
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

// What a picker keeps from one opening to the next.
struct PickerKept {
    DWORD lastReturnTick; // the last return key's, in this opening or an earlier one
    bool returnSeen;      // a return key has come since the program started
    int dpi;              // LOGPIXELSY, read once; 0 until read
};

// One static record per picker kind. An opening destroys a window the last one left
// hidden, then starts the record afresh but for `kept`.
struct PickerState {
    PickerKept kept;
    // Left hidden, with what its controls use, when the system's loader was held as
    // it closed; destroyed at the next opening, once the loader answers.
    HWND leftWindow;
    const PickerKind* kind;
    ScopedBitmap strip;
    ScopedImageList images;
    ScopedFont font;
    HINSTANCE instance;
    HWND owner, window, tree, topEdit, bottomEdit, menuBar;
    HWND previousFront; // in front when the picker opened
    HCURSOR waitCursor; // the program's, loaded at start-up
    SHACTIVATEINFO activateInfo; // the shell's record of the picker's activation
    int busy;           // sessions with a library being waited for: the busy cursor shows
    bool valid;         // the current selection may be confirmed
    bool done;          // OK or Cancel: the local loop ends
    bool accepted;      // ended by OK: only then are the results handed back
    int noticeDepth;    // tree notices being handled
    bool closeDeferred; // a close came during one: it is done once they are over
    WCHAR secondParameter[TEXT_CHARS];
    WCHAR filter[TEXT_CHARS];
    WCHAR result[TEXT_CHARS];
};

// Opens the picker, runs it until it closes and hands back the results: the
// caller's two buffers of TEXT_CHARS characters receive the result text and the
// second parameter, or stay empty. Returns when the picker has closed.
void RunPicker(PickerState& picker, const PickerKind& kind, HINSTANCE instance, HWND owner, const WCHAR* title,
               const WCHAR* filter, WCHAR* resultPath, WCHAR* secondParameter, const WCHAR* stripPath);

// The frame's message handling, called by each picker's window procedure.
LRESULT PickerWindowProc(PickerState& picker, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the picker is ending (OK, Cancel, a close, or the program's end): work
// for it that is still waited for is left.
bool PickerEnding(const PickerState& picker);
