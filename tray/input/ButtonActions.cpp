// DoAction: what a mouse input bound to an action does. Pointer actions shape the
// report's event (flags and sequence); device actions run here and now.
#include "input/ButtonActions.h"
#include "core/DebugLog.h"
#include "core/Launch.h"
#include "core/PublishedButtons.h"
#include "core/Settings.h"
#include "input/DeviceActions.h"
#include "input/TaskActions.h"

enum { KEY_PRESS_MS = 20 };

// A whole key press: down, a short hold, up.
static void PressKey(BYTE virtualKey)
{
    keybd_event(virtualKey, 0, 0, 0);
    Sleep(KEY_PRESS_MS);
    keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
}

void DoAction(int button, DWORD& flags, DWORD& sequence)
{
    DebugLog(L"DoAction: %d", button);
    if (button < 0 || button >= BUTTON_COUNT)
        return;
    ButtonEntry entry; // a copy, whole: the settings window may change the button meanwhile
    ReadButtonEntry(button, entry);
    switch (entry.Action) {
    case ACTION_LEFT_CLICK: flags |= MOUSEEVENTF_LEFTDOWN; sequence = SEQUENCE_NONE; break;
    case ACTION_MIDDLE_CLICK: flags |= MOUSEEVENTF_MIDDLEDOWN; sequence = SEQUENCE_NONE; break;
    case ACTION_RIGHT_CLICK: flags |= MOUSEEVENTF_RIGHTDOWN; sequence = SEQUENCE_NONE; break;
    case ACTION_DOUBLE_CLICK: flags = 0; sequence = SEQUENCE_DOUBLE_CLICK; break;
    case ACTION_SCROLL_UP: sequence = SEQUENCE_SCROLL_UP; break;
    case ACTION_SCROLL_DOWN: sequence = SEQUENCE_SCROLL_DOWN; break;
    case ACTION_SCROLL_LEFT: PressKey(VK_LEFT); break;
    case ACTION_SCROLL_RIGHT: PressKey(VK_RIGHT); break;
    case ACTION_TAP_AND_HOLD: sequence = SEQUENCE_TAP_AND_HOLD; break;
    case ACTION_OPEN_PROGRAM: LaunchProgram(entry.Param1, entry.Param2); break;
    case ACTION_OPEN_APPLET: LaunchProgram(L"\\windows\\ctlpnl.exe", entry.Param1); break;
    case ACTION_CLOSE_TASK: CloseTask(); break;
    case ACTION_RESET_DEVICE: ResetDevice(); break;
    case ACTION_SUSPEND: PressKey(VK_OFF); break;
    case ACTION_ROTATE_SCREEN: RotateScreen(); break;
    case ACTION_SHOW_DESKTOP: SetForegroundWindow(GetDesktopWindow()); break;
    case ACTION_SWITCH_TASK: SwitchTask(); break;
    default: break; // an unknown code from the registry does nothing
    }
}
