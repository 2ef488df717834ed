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
        // The answer only says whether the tab is in view; a tab scrolled out of view
        // still gets its rectangle. The fresh memory is zero: an empty rectangle is no tab.
        DWORD_PTR visible = 0;
        SIZE_T read = 0;
        found = SendMessageTimeoutW(tab, TCM_GETITEMRECT, index, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &visible) &&
                ReadProcessMemory(process, remote, rect, sizeof(RECT), &read) && read == sizeof(RECT) &&
                rect->right > rect->left;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    if (found)
        MapWindowPoints(tab, nullptr, (POINT*)rect, 2);
    return found;
}

static int SelectedTab(HWND tab)
{
    DWORD_PTR selected = (DWORD_PTR)-1;
    SendMessageTimeoutW(tab, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
    return (int)selected;
}

// Wine now and then drops an injected event on its way: a tap that selected nothing
// is made again.
static bool TapUntilSelected(HWND tab, int index, const RECT& item)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        TapScreen((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 1000; Sleep(20))
            if (SelectedTab(tab) == index)
                return true;
    }
    return false;
}

bool TapTab(HWND tab, int index)
{
    // A strip too narrow for its tabs scrolls with its arrows, as the user would. A
    // tab scrolled out to the left has no rectangle; one out to the right lies past
    // the arrows.
    RECT strip, item, arrowsBox;
    GetWindowRect(tab, &strip);
    HWND arrows = FindWindowExW(tab, nullptr, UPDOWN_CLASSW, nullptr);
    bool canScroll = arrows && IsWindowVisible(arrows) && GetWindowRect(arrows, &arrowsBox);
    for (int scroll = 0; scroll < 8; ++scroll) {
        bool known = TabItemScreenRect(tab, index, &item);
        if (known && (!canScroll || item.right <= arrowsBox.left))
            return TapUntilSelected(tab, index, item);
        if (!canScroll)
            return false;
        int quarter = (arrowsBox.right - arrowsBox.left) / 4;
        TapScreen(known ? arrowsBox.right - quarter : arrowsBox.left + quarter, (arrowsBox.top + arrowsBox.bottom) / 2);
        // The strip has scrolled once the tab's rectangle has moved.
        RECT moved = {};
        for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(20))
            if (TabItemScreenRect(tab, index, &moved) != known || (known && moved.left != item.left))
                break;
    }
    return false;
}

HWND FindTabControl(HWND window) { return FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr); }
