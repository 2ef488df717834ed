// Opening the entry: the tray program is started with "-tray" every time (a second
// instance brings the first one forward and ends), then its settings window is
// shown and brought to the front.
#include "Applet.h"
#include <shellapi.h>

// The tray program gets 500 ms to create its window. One that starts slower (a busy
// device, a debug log to write) is looked for a while longer before the entry gives
// up: the control panel waits meanwhile, so the wait stays bounded.
static const DWORD kStartWaitMs = 500, kLookForMs = 5000, kLookEveryMs = 100;

// Only an existing file is started: a missing program or a folder of that name
// would otherwise bring up the shell's error box or a folder window.
static int IsProgramFile(const WCHAR* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static HWND FindTrayWindow() { return FindWindowW(kWindowClass, kWindowTitle); }

static HWND WaitForTrayWindow()
{
    Sleep(kStartWaitMs);
    HWND window = FindTrayWindow();
    for (DWORD looked = 0; !window && looked < kLookForMs; looked += kLookEveryMs) {
        Sleep(kLookEveryMs);
        window = FindTrayWindow();
    }
    return window;
}

static void StartTrayProgram(const WCHAR* path)
{
    SHELLEXECUTEINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI; // a start that fails shows no box over the control panel
    info.lpFile = path;
    info.lpParameters = kProgramArgument;
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
    HWND window = WaitForTrayWindow();
    if (window) {
        ShowWindow(window, SW_SHOW);
        // The lowest bit asks for the window's own pop-ups to come forward with it.
        SetForegroundWindow((HWND)((UINT_PTR)window | 1));
    }
    return 0;
}
