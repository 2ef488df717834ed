// Starting programs and the device's Bluetooth settings.
#include "Launch.h"
#include "AppState.h"
#include "WaitCursor.h"

void LaunchProgram(const WCHAR* file, const WCHAR* parameters)
{
    SHELLEXECUTEINFO info = {};
    info.cbSize = sizeof info;
    // A launch that fails does nothing visible: the shell's error box is a modal
    // loop, and on the listener thread it would discard every driver message.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    ShellExecuteEx(&info);
}

int OpenBluetoothSettings()
{
    ShowWaitCursor(1);
    WCHAR platform[TEXT_CHARS] = {};
    SystemParametersInfoW(SPI_GETPLATFORMTYPE, ARRAYSIZE(platform), platform, 0);
    platform[ARRAYSIZE(platform) - 1] = 0;
    // A Pocket PC keeps Bluetooth in its control panel; other devices have a bonding tool.
    if (_wcsicmp(platform, L"pocketpc") == 0)
        LaunchProgram(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,23");
    else
        LaunchProgram(L"\\windows\\bthbond.exe", L"");
    ShowWaitCursor(0);
    return 1;
}
