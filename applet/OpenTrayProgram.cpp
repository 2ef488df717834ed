// Opening the entry: the tray program is started with "-tray" every time (a second
// instance brings the first one forward and ends), then its settings window is
// shown and brought to the front.
#include "Applet.h"
#include <shellapi.h>

// How long the tray program gets to create its window.
static const DWORD kStartWaitMs = 500;

// Only an existing file is started: a missing program or a folder of that name
// would otherwise bring up the shell's error box or a folder window.
static int IsProgramFile(const WCHAR* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void StartTrayProgram(const WCHAR* path)
{
    SHELLEXECUTEINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI; // a start that fails shows no box over the control panel
    info.lpFile = path;
    info.lpParameters = TRAY_PROGRAM_ARGS;
    info.nShow = SW_SHOW;
    ShellExecuteEx(&info);
}

LONG OpenTrayProgram(void)
{
    WCHAR path[APPLET_PATH_CHARS];
    // Never a program from an unset or cut path.
    if (!GetTrayProgramPath(path, ARRAYSIZE(path)) || !IsProgramFile(path))
        return 0;
    StartTrayProgram(path);
    Sleep(kStartWaitMs);
    HWND window = FindWindowW(TRAY_WINDOW_CLASS, TRAY_WINDOW_TITLE);
    if (window) {
        ShowWindow(window, SW_SHOW);
        // The lowest bit asks for the window's own pop-ups to come forward with it.
        SetForegroundWindow((HWND)((UINT_PTR)window | 1));
    }
    return 0;
}
