// The settings window as the user's stylus works it: a mouse input chosen on the
// button strip, then an action from the list below it.
#include "DeviceKit.h"
#include "resource.h"

bool ChooseButtonAction(HWND settings, int button, int action)
{
    HWND list = GetDlgItem(settings, IDC_ACTION_LIST);
    if (!list)
        return false;
    int sx = GetSystemMetrics(SM_CXSCREEN) >= 480 ? 2 : 1;
    DWORD_PTR answer = 0;
    // A tap on the strip selects the button; the list then changes its selection.
    SendMessageTimeoutW(settings, WM_LBUTTONUP, 0, MAKELPARAM((button * 48 + 24) * sx, 60 * ScreenScaleY()),
                        SMTO_ABORTIFHUNG, 5000, &answer);
    if (!SendMessageTimeoutW(list, CB_SETCURSEL, action, 0, SMTO_ABORTIFHUNG, 5000, &answer) || (int)answer != action)
        return false;
    // Posted: the settings window's thread stays in a picker until it closes.
    return PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDC_ACTION_LIST, CBN_SELCHANGE), (LPARAM)list) != FALSE;
}
