// Power requirements. The emulated device has one device that matters, the display
// backlight "BKL1:": it is at full power while at least one requirement asks for D0.
#define CE_DEVICE_NO_NAME_MAPPING
#include <pm.h>
#include <wchar.h>
#include "EmulatedDevice.h"

namespace {
enum { REQUIREMENT_SLOTS = 16, HANDLE_BASE = 0x5E000 };

struct Requirement {
    BOOL used;
    BOOL holdsBacklight;
};

Requirement s_requirements[REQUIREMENT_SLOTS];
SRWLOCK s_lock = SRWLOCK_INIT;
} // namespace

// Requirements held by all processes; the backlight follows it.
static void CountBacklightHolders(LONG delta)
{
    DWORD holders = DeviceStateAdd(L"BacklightHolders", delta);
    if ((LONG)holders < 0) {
        holders = 0;
        DeviceStateWrite(L"BacklightHolders", 0);
    }
    DeviceStateWrite(L"Backlight", holders ? 1 : 0);
}

HANDLE WINAPI SetPowerRequirement(PVOID device, CEDEVICE_POWER_STATE deviceState, ULONG deviceFlags,
                                  PVOID systemState, ULONG stateFlags)
{
    if (!device || deviceState < D0 || deviceState > D4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    BOOL backlight = (deviceFlags & POWER_NAME) && _wcsicmp((LPCWSTR)device, L"BKL1:") == 0 && deviceState == D0;

    AcquireSRWLockExclusive(&s_lock);
    int slot = -1;
    for (int i = 0; i < REQUIREMENT_SLOTS && slot < 0; ++i)
        if (!s_requirements[i].used)
            slot = i;
    if (slot >= 0) {
        s_requirements[slot].used = TRUE;
        s_requirements[slot].holdsBacklight = backlight;
    }
    ReleaseSRWLockExclusive(&s_lock);
    if (slot < 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    if (backlight) {
        DeviceStateAdd(L"BacklightRequests", 1);
        CountBacklightHolders(1);
    }
    return (HANDLE)(ULONG_PTR)(HANDLE_BASE + slot);
}

DWORD WINAPI ReleasePowerRequirement(HANDLE requirement)
{
    LONG_PTR slot = (LONG_PTR)(ULONG_PTR)requirement - HANDLE_BASE;
    if (slot < 0 || slot >= REQUIREMENT_SLOTS)
        return ERROR_INVALID_PARAMETER;

    AcquireSRWLockExclusive(&s_lock);
    Requirement held = s_requirements[slot];
    s_requirements[slot] = Requirement();
    ReleaseSRWLockExclusive(&s_lock);
    if (!held.used)
        return ERROR_INVALID_PARAMETER;

    if (held.holdsBacklight) {
        DeviceStateAdd(L"BacklightReleases", 1);
        CountBacklightHolders(-1);
    }
    return ERROR_SUCCESS;
}
