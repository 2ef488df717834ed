#include "app/DriverListener.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/Settings.h"
#include "gui/GUI.h"
#include "input/Backlight.h"
#include "input/Cursor.h"
#include "input/Keyboard.h"
#include "input/MouseReport.h"
#include "protocol/DriverProtocol.h"

HANDLE g_listenerReady;
volatile BYTE g_listenerReturned;

// The Status page shows the connection state live; other pages are not repainted.
static void RefreshStatusPage()
{
    if (g_gui.currentPage == PAGE_STATUS && g_gui.mainWindow)
        InvalidateRect(g_gui.mainWindow, nullptr, FALSE);
}

static void OnMouseStatus(WPARAM wParam)
{
    DWORD status = DriverWord(wParam);
    DebugLog(L"TM_MOUSESTATUS: %d", (int)status);
    BYTE attached = StatusAttached(wParam);
    if (StatusDetached(wParam) && g_cursor.connected)
        DrawCursor(g_cursor, 0);
    else if (attached && !g_cursor.connected) {
        DrawCursor(g_cursor, 1);
        ResetMotionRemainder(); // a new attachment starts from a whole pixel
    }
    // A button pressed through the mouse never outlives the mouse.
    if (!attached && g_cursor.connected)
        ReleaseHeldButtons(g_cursor);
    g_cursor.connected = attached;
    g_mouseConnected = attached;
    RefreshStatusPage();
}

static void OnKeyboardStatus(WPARAM wParam)
{
    DebugLog(L"TM_KBSTATUS: %d", (int)DriverWord(wParam));
    BYTE attached = StatusAttached(wParam);
    if (!attached)
        ReleaseHeldKeys();
    g_keyboardConnected = attached;
    RefreshStatusPage();
}

// Switching an input off also lets go of what it holds: the user may have switched
// it off with a button or key still down, and its release will not be injected.
void ReleaseDisabledInput()
{
    const SettingsRecord& settings = AppSettings();
    if (!settings.Enable_Mouse)
        ReleaseHeldButtons(g_cursor);
    if (!settings.Enable_KB)
        ReleaseHeldKeys();
}

BOOL HandleDriverMessage(const MSG& msg)
{
    const SettingsRecord& settings = AppSettings();
    if (msg.message == TM_MOUSEREPORT && settings.Enable_Mouse) {
        if (g_cursor.connected) {
            ProcessMouseReport(g_cursor, DriverWord(msg.wParam), DriverWord(msg.lParam));
            NoteInputActivity();
        }
    } else if (msg.message == TM_KBREPORT && settings.Enable_KB) {
        HandleKeyReport(DriverWord(msg.wParam), DriverWord(msg.lParam));
    } else if (msg.message == TM_KBSTATUS) {
        OnKeyboardStatus(msg.wParam);
    } else if (msg.message == TM_MOUSESTATUS) {
        OnMouseStatus(msg.wParam);
    } else if (msg.message == TM_BLUETOOTH) {
        DebugLog(L"TM_BLUETOOTH: %d", (int)DriverWord(msg.wParam));
        RefreshStatusPage();
    } else if (msg.message == TM_INPUTSWITCHED) {
        ReleaseDisabledInput();
    } else {
        // Reports while their input is disabled, and anything else: a thread
        // message without a window goes nowhere. A report that comes while its
        // input is off still frees what that input holds.
        if (msg.message == TM_MOUSEREPORT || msg.message == TM_KBREPORT)
            ReleaseDisabledInput();
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return FALSE;
    }
    return TRUE;
}

// The next message of the listener's queue, as GetMessageW gives it. While a cursor
// drawing is due, the listener waits for a message no longer than the drawing's
// frame and makes the drawing when the frame ends first: when reports stop, the
// cursor ends where the pointer is.
static BOOL NextMessage(MSG& msg)
{
    for (;;) {
        DWORD dueIn = CursorDueIn(g_cursor);
        if (dueIn == INFINITE)
            return GetMessageW(&msg, nullptr, 0, 0);
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            return msg.message != WM_QUIT;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, dueIn, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT)
            DrawDueCursor(g_cursor);
    }
}

DWORD WINAPI DriverListenThread(LPVOID)
{
    DebugLog(L"DriverListenThread thread running.");
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // create the queue now
    if (g_listenerReady)
        SetEvent(g_listenerReady);

    // Termination sets the flag first, then wakes this loop with WM_QUIT: the
    // report in hand is completed, nothing after it is handled. A quit message that
    // anyone else posts would leave the program running without input: ignored.
    while (!g_terminate) {
        BOOL got = NextMessage(msg);
        if (g_terminate)
            break;
        if (got > 0)
            HandleDriverMessage(msg);
        else if (got == 0)
            DebugLog(L"DriverListenThread: WM_QUIT ignored, the program is not terminating.");
    }
    g_listenerReturned = 1;
    return 0;
}
