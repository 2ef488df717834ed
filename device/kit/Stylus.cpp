// The user's stylus on the device's screen: real taps through the system's input,
// so that controls react as they do to a finger, and tab positions read from another
// process's tab control.
#include "DeviceKit.h"
#include <commctrl.h>

static void PressAt(int x, int y, DWORD flags)
{
    DWORD width = (DWORD)GetSystemMetrics(SM_CXSCREEN), height = (DWORD)GetSystemMetrics(SM_CYSCREEN);
    // pixel = n * size >> 16: the smallest n that reaches the pixel.
    DWORD nx = ((DWORD)x * 65536 + width - 1) / width, ny = ((DWORD)y * 65536 + height - 1) / height;
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags, nx, ny, 0, 0);
}

void TapScreen(int x, int y)
{
    PressAt(x, y, 0);
    PressAt(x, y, MOUSEEVENTF_LEFTDOWN);
    Sleep(30);
    PressAt(x, y, MOUSEEVENTF_LEFTUP);
}

bool TabItemScreenRect(HWND tab, int index, RECT* rect)
{
    // TCM_GETITEMRECT writes into the tab control's own process: the record is made
    // there, and read back.
    DWORD processId = 0;
    GetWindowThreadProcessId(tab, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    bool found = false;
    if (remote) {
        DWORD_PTR ok = 0;
        SIZE_T read = 0;
        found = SendMessageTimeoutW(tab, TCM_GETITEMRECT, index, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &ok) &&
                ok && ReadProcessMemory(process, remote, rect, sizeof(RECT), &read) && read == sizeof(RECT);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    if (found)
        MapWindowPoints(tab, nullptr, (POINT*)rect, 2);
    return found;
}

bool TapTab(HWND tab, int index)
{
    RECT item;
    if (!TabItemScreenRect(tab, index, &item))
        return false;
    TapScreen((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    return true;
}

HWND FindTabControl(HWND window) { return FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr); }
