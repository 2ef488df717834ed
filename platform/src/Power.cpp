// Power requirements. The emulated device has one device that matters, the display
// backlight "BKL1:": it is at full power while at least one requirement asks for D0.
#define CE_DEVICE_NO_NAME_MAPPING
#include <pm.h>
#include <wchar.h>
#include "EmulatedDevice.h"
#include "ScopedWin.h"
#include "ce_device_api.h"

namespace {
enum { REQUIREMENT_SLOTS = 16, HANDLE_BASE = 0x5E000 };

struct Requirement {
    BOOL used;
    BOOL holdsBacklight;
};

Requirement s_requirements[REQUIREMENT_SLOTS];
SRWLOCK s_lock = SRWLOCK_INIT;
volatile LONG s_refused;
volatile LONG s_delayMs;
} // namespace

void CeSetPowerRequirementsGranted(BOOL granted) { InterlockedExchange(&s_refused, granted ? 0 : 1); }
void CeSetPowerManagerDelay(DWORD milliseconds) { InterlockedExchange(&s_delayMs, (LONG)milliseconds); }

static bool ProcessAlive(DWORD processId)
{
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return false;
    DWORD code = 0;
    return GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
}

// Each process's backlight requirements are counted under its identifier. As the
// device's power manager drops the requirements of a process that has ended, the
// backlight follows the processes still running, however the others ended.
static void CountBacklightHolders(LONG delta)
{
    DeviceStateLock lock;
    ScopedRegKey key(DeviceStateKey(L"BacklightHolders"));
    if (!key)
        return;
    WCHAR self[16];
    CeSnwprintf(self, 15, L"%lu", GetCurrentProcessId());
    self[15] = 0;
    DWORD count = 0, bytes = sizeof count, type = 0;
    if (RegQueryValueExW(key, self, nullptr, &type, (BYTE*)&count, &bytes) != ERROR_SUCCESS || type != REG_DWORD)
        count = 0;
    LONG updated = (LONG)count + delta;
    if (updated > 0) {
        count = (DWORD)updated;
        RegSetValueExW(key, self, 0, REG_DWORD, (const BYTE*)&count, sizeof count);
    } else {
        RegDeleteValueW(key, self);
    }

    bool held = false;
    WCHAR name[16];
    for (DWORD i = 0;;) {
        DWORD chars = 16;
        count = 0;
        bytes = sizeof count;
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, (BYTE*)&count, &bytes) != ERROR_SUCCESS)
            break;
        if (!ProcessAlive(wcstoul(name, nullptr, 10))) {
            RegDeleteValueW(key, name); // the enumeration goes on at the same index
            continue;
        }
        held = held || count > 0;
        ++i;
    }
    key.Reset();
    DeviceStateWrite(L"Backlight", held ? 1 : 0);
}

HANDLE WINAPI SetPowerRequirement(PVOID device, CEDEVICE_POWER_STATE deviceState, ULONG deviceFlags,
                                  PVOID systemState, ULONG stateFlags)
{
    if (!device || deviceState < D0 || deviceState > D4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (s_delayMs)
        Sleep((DWORD)s_delayMs);
    if (s_refused) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
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
    if (s_delayMs)
        Sleep((DWORD)s_delayMs);

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
