// The Pocket PC's desktop window is the shell's Today screen.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"

HWND WINAPI CeGetDesktopWindow(void)
{
    HWND today = FindWindowW(nullptr, L"Desktop");
    return today ? today : GetDesktopWindow();
}
