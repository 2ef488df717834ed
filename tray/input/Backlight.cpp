// Holding the display backlight at full power while input arrives. The requirement
// is taken on the first input and dropped by the time-out thread after a quiet time.
#include "input/Backlight.h"
#include <pm.h>
#include "ScopedWin.h"
#include "core/DebugLog.h"
#include "core/SharedWord.h"

// Requests come from the listener, releases from the time-out thread and from
// termination: each change of the requirement is made under this lock, so that a
// request and a release never cross and leak a requirement or release one twice.
// A change that cannot take the lock in time (the power manager is slow to answer
// another) changes nothing: the next input, or the next check, looks again.
enum { BACKLIGHT_LOCK_WAIT_MS = 2000 };
static HANDLE s_lock = CreateMutexW(nullptr, FALSE, nullptr);

static HANDLE s_requirement; // changed under the lock only
static bool s_backlightHeld;  // changed under the lock only
// Whether a requirement is held, for the listener to look at without the lock;
// changed under the lock with the requirement.
static SharedFlag s_requirementTaken;
static SharedWord s_lastInputTime; // GetTickCount of the last input; written by the listener

static bool LockTaken(const ScopedLock& lock, int on)
{
    if (!s_lock || lock.Held())
        return true;
    DebugLog(L"SetBacklightRequirement(%d): another change still holds the lock, left as it is", on);
    return false;
}

void SetBacklightRequirement(int on)
{
    ScopedLock lock(s_lock, BACKLIGHT_LOCK_WAIT_MS);
    if (!LockTaken(lock, on))
        return;
    if (on) {
        if (s_requirement)
            return;
        DebugLog(L"SetBacklightRequirement(1)");
        s_requirement = SetPowerRequirement((PVOID)L"BKL1:", D0, POWER_NAME, nullptr, 0);
        if (!s_requirement)
            DebugLog(L"SetPowerRequirement failed: %X\n", GetLastError());
        s_requirementTaken.Set(s_requirement != nullptr); // not taken: the next input tries again
        s_backlightHeld = true; // also after a failure, so that the quiet time ends it
        return;
    }
    if (!s_requirement)
        return;
    DebugLog(L"SetBacklightRequirement(0)");
    if (ReleasePowerRequirement(s_requirement) != ERROR_SUCCESS)
        DebugLog(L"ReleasePowerRequirement failed: %X\n", GetLastError());
    s_requirement = nullptr;
    s_requirementTaken.Set(false);
    s_backlightHeld = false;
}

void NoteInputActivity()
{
    s_lastInputTime.Set((LONG)GetTickCount());
    // Held already: the common case costs no lock. An input that overlaps the
    // time-out's release is covered by the next input.
    if (!s_requirementTaken.IsSet())
        SetBacklightRequirement(1);
}

void ReleaseBacklightAfterQuiet(DWORD timeout)
{
    ScopedLock lock(s_lock, BACKLIGHT_LOCK_WAIT_MS);
    if (!LockTaken(lock, 0))
        return;
    // Unsigned difference: the tick counter's wrap-around does no harm.
    if (s_backlightHeld && GetTickCount() - (DWORD)s_lastInputTime.Get() > timeout) {
        DebugLog(L"PowerTimeoutThread LCD Timeout (%d)", timeout);
        SetBacklightRequirement(0); // the lock is a mutex: taking it again is allowed
    }
}
