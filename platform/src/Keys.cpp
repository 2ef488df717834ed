// Key injection. The power key of the device has no desktop counterpart: pressing it
// suspends the emulated device, which tells every power subscriber.
#define CE_DEVICE_NO_NAME_MAPPING
#include <pm.h>
#include "EmulatedDevice.h"
#include "ce_device_input.h"

void WINAPI CeKeybdEvent(BYTE virtualKey, BYTE scanCode, DWORD flags, ULONG_PTR extraInfo)
{
    if (virtualKey == VK_OFF) {
        if (!(flags & KEYEVENTF_KEYUP)) {
            DeviceStateAdd(L"Suspend", 1);
            CeDeliverPowerTransition(POWER_STATE_SUSPEND, L"suspend");
        }
        return;
    }
    keybd_event(virtualKey, scanCode, flags, extraInfo);
}
