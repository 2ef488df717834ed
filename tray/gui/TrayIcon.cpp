#include "gui/GUI.h"
#include "protocol/ProgramMessages.h"
#include <shellapi.h>

bool TrayIcon(HWND window, DWORD operation, UINT id, HICON icon)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE; // the device's record: no balloon fields
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = icon;
    return Shell_NotifyIconW(operation, &data) != FALSE;
}

bool TrayIconAdd(HWND window, UINT id, HICON icon) { return TrayIcon(window, NIM_ADD, id, icon); }

bool TrayIconDelete(HWND window, UINT id, HICON icon) { return TrayIcon(window, NIM_DELETE, id, icon); }
