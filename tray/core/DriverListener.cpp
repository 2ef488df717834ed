#include "DriverListener.h"
#include "AppState.h"
#include "Backlight.h"
#include "Cursor.h"
#include "DebugLog.h"
#include "DriverProtocol.h"
#include "GUI.h"
#include "Keyboard.h"
#include "MouseReport.h"

volatile BYTE g_mouseConnected;
volatile BYTE g_keyboardConnected;
HANDLE g_listenerReady;

// The Status page shows the connection state live; other pages are not repainted.
static void RefreshStatusPage()
{
    if (g_gui.currentPage == PAGE_STATUS && g_gui.mainWindow)
        InvalidateRect(g_gui.mainWindow, nullptr, FALSE);
}

static void OnMouseStatus(WPARAM status)
{
    DebugLog(L"TM_MOUSESTATUS: %d", (int)status);
    BYTE attached = status == 1;
    if (status == 0 && g_cursor.connected)
        DrawCursor(g_cursor, 0);
    else if (attached && !g_cursor.connected)
        DrawCursor(g_cursor, 1);
    // A button pressed through the mouse never outlives the mouse.
    if (!attached && g_cursor.connected)
        ReleaseHeldButtons(g_cursor);
    g_cursor.connected = attached;
    g_mouseConnected = attached;
    RefreshStatusPage();
}

static void OnKeyboardStatus(WPARAM status)
{
    DebugLog(L"TM_KBSTATUS: %d", (int)status);
    BYTE attached = status == 1;
    if (!attached)
        ReleaseHeldKeys();
    g_keyboardConnected = attached;
    RefreshStatusPage();
}

BOOL HandleDriverMessage(const MSG& msg)
{
    if (msg.message == TM_MOUSEREPORT && g_gui.Enable_Mouse) {
        if (g_cursor.connected) {
            ProcessMouseReport(g_cursor, (DWORD)msg.wParam, (DWORD)msg.lParam);
            NoteInputActivity();
        }
    } else if (msg.message == TM_KBREPORT && g_gui.Enable_KB) {
        HandleKeyReport(msg.wParam, msg.lParam);
    } else if (msg.message == TM_KBSTATUS) {
        OnKeyboardStatus(msg.wParam);
    } else if (msg.message == TM_MOUSESTATUS) {
        OnMouseStatus(msg.wParam);
    } else if (msg.message == TM_BLUETOOTH) {
        DebugLog(L"TM_BLUETOOTH: %d", (int)msg.wParam);
        RefreshStatusPage();
    } else {
        // Reports while their input is disabled, and anything else: a thread
        // message without a window goes nowhere.
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI DriverListenThread(LPVOID)
{
    DebugLog(L"DriverListenThread thread running.");
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // create the queue now
    if (g_listenerReady)
        SetEvent(g_listenerReady);

    // Termination sets the flag first, then wakes this loop with WM_QUIT: the
    // report in hand is completed, nothing after it is handled.
    while (!g_terminate) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0 || g_terminate)
            break;
        HandleDriverMessage(msg);
    }
    return 0;
}
