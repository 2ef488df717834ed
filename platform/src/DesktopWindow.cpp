// The Pocket PC's desktop window is the shell's Today screen. The desktop's own root
// window has no counterpart there: where it would be in front, the Today screen is.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"

HWND WINAPI CeGetDesktopWindow(void)
{
    HWND today = FindWindowW(nullptr, L"Desktop");
    return today ? today : GetDesktopWindow();
}

HWND WINAPI CeGetForegroundWindow(void)
{
    HWND front = GetForegroundWindow();
    return front == GetDesktopWindow() ? CeGetDesktopWindow() : front;
}
