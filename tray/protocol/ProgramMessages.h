// The program's own message numbers, beside the driver's (DriverProtocol.h). Each is
// unique, so that no thread or window of the program can take one for another.
#pragma once
#include <windows.h>

enum ProgramMessage : UINT {
    // To the settings window: the shell's callback for the tray icon (TRAY_ICON_ID).
    WM_TRAY_CALLBACK = 3026,
    // To the listener, from the settings window: "Enable USB mouse support" or "Enable
    // USB keyboard support" changed; the listener lets go of what a switched-off input holds.
    TM_INPUTSWITCHED = WM_APP + 1,
};
