// SHFullScreen: the application asks the shell to hide (or show) its top bar and
// start icon while the application's window is in front. The shell keeps that
// state per window and applies it as windows come and go in front; the window
// itself is not moved: the application sizes it.
#include "ce_device_api.h"
#include "aygshell.h"

enum { SHELL_ANSWER_MS = 1000 };

BOOL WINAPI SHFullScreen(HWND window, DWORD state)
{
    if (!IsWindow(window))
        return FALSE;
    static UINT message = RegisterWindowMessageW(CE_SHELL_FULLSCREEN_MESSAGE);
    HWND topBar = FindWindowW(L"HHTaskBar", nullptr);
    if (!topBar || !message)
        return TRUE; // no shell running: nothing to hide
    // Answered before returning, so the bar is gone when the window is laid out.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(topBar, message, (WPARAM)window, (LPARAM)state, SMTO_ABORTIFHUNG | SMTO_BLOCK, SHELL_ANSWER_MS,
                        &answer);
    return TRUE;
}
