#include "app/DriverListener.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/Settings.h"
#include "gui/GUI.h"
#include "input/Backlight.h"
#include "input/CursorThread.h"
#include "input/Keyboard.h"
#include "input/MouseReport.h"
#include "protocol/DriverProtocol.h"
#include "protocol/ProgramMessages.h"

HANDLE g_listenerReady;
SharedFlag g_listenerReturned;
PointerState g_pointer;

// Messages that are not the driver's are named in the log, but only so many: a flood
// of them must not fill it.
enum { STRANGER_LINES = 16 };
static int s_strangersLogged;

// The Status page shows the connection state live; other pages are not repainted.
static void RefreshStatusPage()
{
    if (g_gui.currentPage.Get() == PAGE_STATUS && g_gui.mainWindow)
        InvalidateRect(g_gui.mainWindow, nullptr, FALSE);
}

static void OnMouseStatus(WPARAM wParam)
{
    DebugLog(L"TM_MOUSESTATUS: %d", (int)DriverWord(wParam));
    bool attached = StatusAttached(wParam);
    if (attached && !g_pointer.connected)
        ResetMotionRemainder(g_pointer); // a new attachment starts from a whole pixel
    // A button pressed through the mouse never outlives the mouse.
    if (!attached && g_pointer.connected)
        ReleaseHeldButtons(g_pointer);
    // The cursor shows exactly while the mouse is attached, whatever status took it
    // away; an attachment shows it from the first move on.
    PlaceCursor(g_pointer.x, g_pointer.y, attached);
    g_pointer.connected = attached;
    g_mouseConnected.Set(attached);
    RefreshStatusPage();
}

static void OnKeyboardStatus(WPARAM wParam)
{
    DebugLog(L"TM_KBSTATUS: %d", (int)DriverWord(wParam));
    bool attached = StatusAttached(wParam);
    if (!attached)
        ReleaseHeldKeys();
    g_keyboardConnected.Set(attached);
    RefreshStatusPage();
}

// Switching an input off also lets go of what it holds: the user may have switched
// it off with a button or key still down, and its release will not be injected.
void ReleaseDisabledInput()
{
    const SettingsRecord& settings = AppSettings();
    if (!settings.Enable_Mouse)
        ReleaseHeldButtons(g_pointer);
    if (!settings.Enable_KB)
        ReleaseHeldKeys();
}

// A thread message has no window to go to: dispatching one could only run code that
// its sender chose (a timer message calls its lParam). Whatever is not the driver's,
// nor the program's own, is dropped.
static void DropStrangersMessage(const MSG& msg)
{
    if (s_strangersLogged < STRANGER_LINES)
        DebugLog(L"DriverListenThread: thread message %04X dropped, not the driver's (wParam %X, lParam %X)",
                 msg.message, (unsigned)msg.wParam, (unsigned)msg.lParam);
    else if (s_strangersLogged == STRANGER_LINES)
        DebugLog(L"DriverListenThread: further messages that are not the driver's are dropped without a line");
    if (s_strangersLogged <= STRANGER_LINES)
        ++s_strangersLogged;
}

bool HandleDriverMessage(const MSG& msg)
{
    const SettingsRecord& settings = AppSettings();
    switch (msg.message) {
    case TM_MOUSEREPORT:
        if (!settings.Enable_Mouse) {
            ReleaseDisabledInput(); // a report that comes while its input is off still frees what it holds
            return false;
        }
        if (g_pointer.connected) {
            ProcessMouseReport(g_pointer, DriverWord(msg.wParam), DriverWord(msg.lParam));
            NoteInputActivity();
        }
        return true;
    case TM_KBREPORT:
        if (!settings.Enable_KB) {
            ReleaseDisabledInput();
            return false;
        }
        HandleKeyReport(DriverWord(msg.wParam), DriverWord(msg.lParam));
        return true;
    case TM_KBSTATUS:
        OnKeyboardStatus(msg.wParam);
        return true;
    case TM_MOUSESTATUS:
        OnMouseStatus(msg.wParam);
        return true;
    case TM_BLUETOOTH:
        DebugLog(L"TM_BLUETOOTH: %d", (int)DriverWord(msg.wParam));
        RefreshStatusPage();
        return true;
    case TM_INPUTSWITCHED:
        ReleaseDisabledInput();
        return true;
    default:
        DropStrangersMessage(msg);
        return false;
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
    while (!g_terminate.IsSet()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (g_terminate.IsSet())
            break;
        if (got > 0)
            HandleDriverMessage(msg);
        else if (got == 0)
            DebugLog(L"DriverListenThread: WM_QUIT ignored, the program is not terminating.");
    }
    g_listenerReturned.Set(true);
    return 0;
}
