// How the Pocket PC shell places and activates top-level windows.
#include "ce_device_api.h"

int WINAPI CeShellBarHeight(void)
{
    if (HWND topBar = FindWindowW(L"HHTaskBar", L"")) {
        RECT r;
        if (GetWindowRect(topBar, &r) && r.bottom - r.top >= 10)
            return r.bottom - r.top;
    }
    return CeTopBarHeightFor(GetSystemMetrics(SM_CYSCREEN));
}

HWND WINAPI CeCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                              int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    bool topLevel = !parent && !(style & (WS_CHILD | WS_POPUP));
    if (topLevel) {
        style = (style & ~(WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) | WS_POPUP;
        int top = CeShellBarHeight();
        if (x == CW_USEDEFAULT) {
            x = 0;
            y = top;
        }
        if (width == CW_USEDEFAULT) {
            width = GetSystemMetrics(SM_CXSCREEN);
            height = GetSystemMetrics(SM_CYSCREEN) - top;
        }
    }
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance, param);
}

struct OwnedPopups {
    HWND owner;
};

static BOOL CALLBACK RaiseOwnedPopup(HWND window, LPARAM lParam)
{
    const OwnedPopups* popups = (const OwnedPopups*)lParam;
    if (GetWindow(window, GW_OWNER) == popups->owner && IsWindowVisible(window))
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

BOOL WINAPI CeSetForegroundWindow(HWND window)
{
    bool withPopups = ((UINT_PTR)window & 1) != 0;
    window = (HWND)((UINT_PTR)window & ~(UINT_PTR)1);
    BOOL result = SetForegroundWindow(window);
    if (withPopups) {
        OwnedPopups popups = {window};
        EnumWindows(RaiseOwnedPopup, (LPARAM)&popups);
    }
    return result;
}
