// Holding the display backlight at full power while input arrives. The requirement
// is taken on the first input and dropped by the time-out thread after a quiet time.
#include "Backlight.h"
#include <pm.h>
#include "DebugLog.h"

// Shared by the listener (on), the time-out thread and shutdown (off); plain words.
static volatile HANDLE s_requirement;
static volatile BYTE s_backlightHeld;
static volatile DWORD s_lastInputTime;

void SetBacklightRequirement(int on)
{
    if (on) {
        if (s_requirement)
            return;
        DebugLog(L"SetBacklightRequirement(1)");
        s_requirement = SetPowerRequirement((PVOID)L"BKL1:", D0, POWER_NAME, nullptr, 0);
        if (!s_requirement)
            DebugLog(L"SetPowerRequirement failed: %X\n", GetLastError());
        s_backlightHeld = 1; // also after a failure: the null handle makes the next input retry
        return;
    }
    if (!s_requirement)
        return;
    DebugLog(L"SetBacklightRequirement(0)");
    if (ReleasePowerRequirement(s_requirement) != ERROR_SUCCESS)
        DebugLog(L"ReleasePowerRequirement failed: %X\n", GetLastError());
    s_requirement = nullptr;
    s_backlightHeld = 0;
}

void NoteInputActivity()
{
    s_lastInputTime = GetTickCount();
    SetBacklightRequirement(1);
}

int IsBacklightHeld() { return s_backlightHeld; }

DWORD LastInputTime() { return s_lastInputTime; }
