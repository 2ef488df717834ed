// Pointer injection. The device normalises an absolute position as
// nx = X * 65535 / width; the desktop maps n back with pixel = n * width >> 16, which
// puts such a position one pixel short. The pixel is recovered and given the
// smallest desktop value that maps onto it. The device also places every absolute
// event at its coordinates, with or without MOUSEEVENTF_MOVE; the desktop only
// honours them with the flag, so a click would land wherever the pointer was.
#define CE_DEVICE_NO_NAME_MAPPING
#include "EmulatedDevice.h"
#include "ce_device_input.h"

static DWORD DesktopAbsolute(DWORD normalised, int pixels)
{
    if (pixels <= 0)
        return normalised;
    if (normalised > 65535)
        normalised = 65535;
    // The pixel the device meant: the smallest X with X * 65535 / pixels == normalised.
    LONGLONG pixel = ((LONGLONG)normalised * pixels + 65534) / 65535;
    if (pixel > pixels - 1)
        pixel = pixels - 1; // the far edge itself lies just outside the screen
    LONGLONG n = (pixel * 65536 + pixels - 1) / pixels;
    return n > 65535 ? 65535 : (DWORD)n;
}

void WINAPI CeMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extraInfo)
{
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        int width, height;
        CurrentScreenSize(&width, &height);
        dx = DesktopAbsolute(dx, width);
        dy = DesktopAbsolute(dy, height);
        flags |= MOUSEEVENTF_MOVE;
    }
    mouse_event(flags, dx, dy, data, extraInfo);
}
