// Kernel I/O controls of the emulated device. A reboot request is recorded as a
// restart of the emulated device; nothing happens to the host.
#define CE_DEVICE_NO_NAME_MAPPING
#include <pkfuncs.h>
#include <pm.h>
#include "EmulatedDevice.h"
#include "ce_device_input.h"

BOOL WINAPI KernelIoControl(DWORD ioControlCode, LPVOID inBuffer, DWORD inBytes, LPVOID outBuffer, DWORD outBytes,
                            LPDWORD bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    if (ioControlCode == IOCTL_HAL_REBOOT) {
        DeviceStateAdd(L"Reboot", 1);
        CeDeliverPowerTransition(POWER_STATE_RESET, L"reset");
        return TRUE;
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
