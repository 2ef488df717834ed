// One session with an applet library: loaded, initialised, asked for its applets'
// names, told to exit and released. It runs on a thread of its own, because the
// library is another vendor's code: one that never answers, or answers slowly, must
// not hold the picker, and with it the settings window, for more than a bounded time.
#pragma once
#include <windows.h>
#include "browsers/AppletBrowser.h"
#include "browsers/PickerFrame.h"
#include "core/SharedWord.h"

enum {
    APPLET_ANSWER_MS = 5000, // a library that takes longer over one call is left to itself
    // ... and one that takes longer over its whole exchange (load, CPL_INIT, its
    // count, each name, CPL_EXIT, release), however quick each call.
    APPLET_EXCHANGE_MS = 3 * APPLET_ANSWER_MS,
    APPLET_NAME_CHARS = 32, // the name field of the library's answer
};

// What a session found. Shared by the caller and the session's thread; the last
// one to let go of it frees it. What the thread finds is written before it sets
// `finished`, and read by the caller only once it is set.
struct AppletSession {
    LONG holders; // the caller and the thread: each lets go once, interlocked
    WCHAR module[TEXT_CHARS];
    HWND window; // given to the library with CPL_INIT
    bool logLoad;
    WCHAR wanted[APPLET_NAME_CHARS]; // when not empty, asking stops at the first applet of this name
    bool opened;  // loaded, and CPL_INIT answered yes
    LONG count;   // the library's own answer to CPL_GETCOUNT
    int reported; // that count held to 0..APPLETS_PER_LIBRARY_MAX
    int read;     // names read: fewer than reported when the library faulted or the wanted name came
    WCHAR names[APPLETS_PER_LIBRARY_MAX][APPLET_NAME_CHARS]; // always terminated
    // When the current call into the library began, a tick count (its load and
    // release count as calls). Written by the session's thread, watched by the waiter.
    SharedWord callStarted;
    // Raised by the waiter that left the session: the library is asked nothing more
    // but CPL_EXIT, and released.
    SharedFlag abandoned;
    // Set by the session's thread when it is done with the library. Not the thread's
    // own end, which passes through the system's loader and may wait there.
    HANDLE finished;
};

// Runs a session with `module` and waits for it. Meanwhile what is sent to this
// thread is answered (a library may send to the window it was given); with a
// `picker`, the picker is kept answering too: its messages are handled but for
// input to its tree, its busy cursor shown, and its OK or Cancel, a close, or the
// program's end leave the session. The finished record, to be handed back to
// EndAppletSession; null when no session could start (the system's loader held,
// for one), or when it was left: one call into the library took longer than
// APPLET_ANSWER_MS, or all of them longer than APPLET_EXCHANGE_MS (the library
// goes on by itself, told nothing more but CPL_EXIT, with a log line), or the
// picker ended. `wanted` (may be null) stops the asking at the first applet of
// that name.
AppletSession* RunAppletSession(const WCHAR* module, HWND window, bool logLoad, const WCHAR* wanted,
                                PickerState* picker);
void EndAppletSession(AppletSession* session);
