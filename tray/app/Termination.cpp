#include "app/DriverListener.h"
#include "app/Startup.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"
#include "gui/GUI.h"
#include "input/Backlight.h"
#include "input/CursorThread.h"
#include "input/KeySound.h"
#include "input/Keyboard.h"
#include "input/MouseReport.h"
#include "input/PowerThreads.h"

// How long a worker may take to finish what it is doing before it is stopped by
// force. The longest piece of work is a tap-and-hold (one second).
static const DWORD kWorkerStopMs = 3000;
// How long a forced stop may take to take effect before the handle is let go.
static const DWORD kWorkerKillMs = 1000;

// How often a stopping worker is looked at.
static const DWORD kWorkerPollMs = 20;

// Wakes a worker and waits for it to return by itself; forced termination is the
// last resort, because a thread killed inside the heap or a C runtime stream
// leaves that lock held for the rest of the process. A thread that has returned
// from its routine still leaves through the system's loader; while a library holds
// the loader it never can, and the return counts as the end.
static void StopWorker(ScopedHandle& thread, DWORD threadId, const SharedFlag& returned)
{
    if (!thread)
        return;
    if (threadId)
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    DWORD start = GetTickCount();
    while (WaitForSingleObject(thread, kWorkerPollMs) == WAIT_TIMEOUT) {
        if (returned.IsSet() && LoaderKnownHeld())
            break;
        if (GetTickCount() - start >= kWorkerStopMs) {
            TerminateThread(thread, 0);
            WaitForSingleObject(thread, kWorkerKillMs); // termination is asynchronous
            break;
        }
    }
    thread.Reset();
}

void TerminateApp()
{
    g_terminate.Set(true);
    DebugLog(L"TERM: Terminate app signal!");
    LoaderKnownHeld(); // a probe on its way, so that a held loader is known by the time it matters

    int saved = SaveSettings(g_gui);
    DebugLog(L"TERM-1: REG Settings saved: %d", saved);

    if (g_closeEvent)
        SetEvent(g_closeEvent);
    Sleep(100);

    StopWorker(g_listenerThread, g_listenerThreadId, g_listenerReturned);
    StopWorker(g_powerThread, 0, g_powerThreadReturned);
    WakeCursorThread(); // the cursor stays where it was last drawn
    StopWorker(g_cursorThread, 0, g_cursorThreadReturned);
    // Only with the listener gone: a report still in hand (a tap-and-hold takes a
    // second) would take the backlight again, and press what was just released.
    SetBacklightRequirement(0);
    ReleaseHeldButtons(g_pointer);
    ReleaseHeldKeys();
    DebugLog(L"TERM-3:  Threads terminated.");

    TrayIconDelete(g_gui.mainWindow, TRAY_ICON_ID, nullptr);
    FreeKeySound();
    DebugLog(L"TERM-4: resources deleted.");

    DebugLog(L"TERM-5: Sending WM_QUIT");
    // With the system's loader held by another vendor's library, freeing the window's
    // controls and leaving the process would wait on the loader for good: everything
    // that matters is done, the process ends.
    if (!LoaderAnswers())
        TerminateProcess(GetCurrentProcess(), 0);
    PostQuitMessage(0);
}
