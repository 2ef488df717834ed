#include "AppState.h"
#include "Backlight.h"
#include "Cursor.h"
#include "DebugLog.h"
#include "DriverListener.h"
#include "GUI.h"
#include "KeySound.h"
#include "Keyboard.h"
#include "MouseReport.h"
#include "Startup.h"

// How long a worker may take to finish what it is doing before it is stopped by
// force. The longest piece of work is a tap-and-hold (one second).
static const DWORD kWorkerStopMs = 3000;
// How long a forced stop may take to take effect before the handle is let go.
static const DWORD kWorkerKillMs = 1000;

// Wakes a worker and waits for it to return by itself; forced termination is the
// last resort, because a thread killed inside the heap or a C runtime stream
// leaves that lock held for the rest of the process.
static void StopWorker(HANDLE& thread, DWORD threadId)
{
    if (!thread)
        return;
    if (threadId)
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    if (WaitForSingleObject(thread, kWorkerStopMs) == WAIT_TIMEOUT) {
        TerminateThread(thread, 0);
        WaitForSingleObject(thread, kWorkerKillMs); // termination is asynchronous
    }
    CloseHandle(thread);
    thread = nullptr;
}

void TerminateApp()
{
    g_terminate = 1;
    DebugLog(L"TERM: Terminate app signal!");

    int saved = SaveSettings(g_gui);
    DebugLog(L"TERM-1: REG Settings saved: %d", saved);

    if (g_closeEvent)
        SetEvent(g_closeEvent);
    Sleep(100);

    StopWorker(g_listenerThread, g_listenerThreadId);
    StopWorker(g_powerThread, 0);
    // Only with the listener gone: a report still in hand (a tap-and-hold takes a
    // second) would take the backlight again, and press what was just released.
    SetBacklightRequirement(0);
    ReleaseHeldButtons(g_cursor);
    ReleaseHeldKeys();
    DebugLog(L"TERM-3:  Threads terminated.");

    TrayIconDelete(g_gui.mainWindow, TRAY_ICON_ID, nullptr);
    FreeKeySound();
    DebugLog(L"TERM-4: resources deleted.");

    DebugLog(L"TERM-5: Sending WM_QUIT");
    PostQuitMessage(0);
}
