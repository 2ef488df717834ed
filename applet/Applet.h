// Tessar.cpl: the control-panel library that puts "Vantorix Driver" into the
// device's Settings screen and opens the tray program's settings window.
#pragma once
#include <windows.h>
#include "InstallContract.h"

// Path buffers hold 260 UTF-16 characters, terminator included.
enum { APPLET_PATH_CHARS = 260 };

// One applet of the library: its icon and its two texts, as resource ids.
struct AppletEntry {
    DWORD iconId;
    DWORD nameId;
    DWORD infoId;
};
extern const AppletEntry g_applets[];
extern const int g_appletCount;

// The library's instance handle, kept by DllMain.
extern HINSTANCE g_appletInstance;

// The full path of the tray program: InstallPath and "\Pelorin.exe" into `path`
// (APPLET_PATH_CHARS). 1 when the path is whole; 0 when the value is missing, empty,
// neither REG_SZ nor REG_EXPAND_SZ, or too long for the program's name to fit (`path`
// is then empty).
int GetTrayProgramPath(WCHAR* path, int pathChars);

// What opening the entry does: starts the tray program with "-tray", waits 500 ms and
// then up to 5 s more for its settings window, and brings that window to the front.
// Always 0, the control panel's success.
LONG OpenTrayProgram(void);
