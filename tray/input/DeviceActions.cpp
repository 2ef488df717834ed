// Actions on the device itself: restart and screen rotation.
#include "input/DeviceActions.h"
#include <pkfuncs.h>

void ResetDevice() { KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr); }

// Turns the screen a quarter further: 0, 90, 180, 270 degrees, then upright again.
void RotateScreen()
{
    DEVMODE mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr);

    DWORD next = mode.dmDisplayOrientation + 1;
    if (next == 3)
        next = DMDO_270;
    else if (next > DMDO_270)
        next = DMDO_DEFAULT;
    mode.dmDisplayOrientation = next;
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    ChangeDisplaySettingsEx(nullptr, &mode, nullptr, 0, nullptr);
}
