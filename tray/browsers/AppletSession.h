// One session with an applet library: loaded, initialised, asked for its applets'
// names, told to exit and released. It runs on a thread of its own, because the
// library is another vendor's code: one that never answers must not hold the
// picker, and with it the settings window, for ever.
#pragma once
#include <windows.h>
#include "browsers/AppletBrowser.h"
#include "browsers/PickerFrame.h"

enum {
    APPLET_ANSWER_MS = 5000, // a library that takes longer over one call is left to itself
    APPLET_NAME_CHARS = 32,  // the name field of the library's answer
};

// What a session found. Shared by the caller and the session's thread; the last
// one to let go of it frees it.
struct AppletSession {
    LONG holders;
    WCHAR module[TEXT_CHARS];
    HWND window; // given to the library with CPL_INIT
    bool logLoad;
    bool opened;  // loaded, and CPL_INIT answered yes
    LONG count;   // the library's own answer to CPL_GETCOUNT
    int reported; // that count held to 0..APPLETS_PER_LIBRARY_MAX
    int read;     // names read: fewer than reported when the library faulted
    WCHAR names[APPLETS_PER_LIBRARY_MAX][APPLET_NAME_CHARS]; // always terminated
    // The session's progress, written by its thread and watched by the waiter: when
    // the current call into the library began, and whether it runs in the system's
    // loader (loading or releasing: the library's start-up routine).
    volatile DWORD callStarted;
    volatile LONG inLoader;
};

// Runs a session with `module` and waits for it, answering meanwhile what is sent
// to this thread's windows (a library may send to the window it was given). The
// finished record, to be handed back to EndAppletSession; null when no session
// could start, or when one call into the library took longer than APPLET_ANSWER_MS
// (it is then left to itself, loaded, with a log line).
AppletSession* RunAppletSession(const WCHAR* module, HWND window, bool logLoad);
void EndAppletSession(AppletSession* session);
// Once a library is left inside the system's loader (its start-up routine never
// returned), g_loaderHeld is set and no session is started any more.
