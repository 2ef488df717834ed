// Closing and switching the foreground task.
#include "input/TaskActions.h"
#include "core/DebugLog.h"

// Hides the window and puts it behind all others, so the one behind it comes forward.
static void SendToBack(HWND window)
{
    ShowWindow(window, SW_HIDE);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CloseTask()
{
    HWND window = GetForegroundWindow();
    DebugLog(L"Close Task: %X", (unsigned)(UINT_PTR)window);
    if (!window || window == GetDesktopWindow()) {
        DebugLog(L"Abort - this is Desktop");
        MessageBeep(0);
        return;
    }
    if ((DWORD)GetWindowLongW(window, GWL_EXSTYLE) & (DWORD)WS_EX_CAPTIONOKBTN) {
        DebugLog(L"sent OK");
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return;
    }
    DWORD windowProcess = 0;
    GetWindowThreadProcessId(window, &windowProcess);
    DWORD shellProcess = FindProcessId(L"shell32.exe");
    DebugLog(L"Real Close wnd=%X shell=%X", windowProcess, shellProcess);
    if (windowProcess == GetCurrentProcessId()) {
        // The settings window: closing it would end the program and all input with
        // it, so it steps aside as its Hide key does.
        DebugLog(L"Hide own window");
        ShowWindow(window, SW_HIDE);
        return;
    }
    if (windowProcess == shellProcess) {
        DebugLog(L"Minimize");
        SendToBack(window);
        return;
    }
    DebugLog(L"Destroy Window");
    // Only the owning thread may destroy a window; another thread's window is asked
    // to close itself instead.
    if (!DestroyWindow(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
}

void SwitchTask() { SendToBack(GetForegroundWindow()); }

DWORD FindProcessId(const WCHAR* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPNOHEAPS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0)
            found = entry.th32ProcessID;
    CloseToolhelp32Snapshot(snapshot);
    return found;
}
