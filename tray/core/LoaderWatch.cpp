// The loader's probe: one thread at a time, which does nothing but tell that it ran.
// A probe sent while the loader is held waits with it; it is not sent again, so a
// held loader costs one waiting thread, not one per question.
#include "core/LoaderWatch.h"
#include "core/DebugLog.h"

namespace {

volatile LONG s_onItsWay;  // 1 from a probe's sending until it runs
volatile DWORD s_sentAt;   // GetTickCount when the probe on its way was sent
volatile LONG s_heldNoted; // its lateness is logged once
HANDLE s_ran = CreateEventW(nullptr, TRUE, TRUE, nullptr); // set by each probe that ran

DWORD WINAPI Probe(void*)
{
    DWORD late = GetTickCount() - s_sentAt;
    if (InterlockedExchange(&s_heldNoted, 0))
        DebugLog(L"The system's loader answers again, after %u ms", (unsigned)late);
    InterlockedExchange(&s_onItsWay, 0);
    SetEvent(s_ran);
    return 0;
}

void SendProbe()
{
    if (s_onItsWay || !s_ran)
        return;
    DWORD now = GetTickCount();
    if (InterlockedCompareExchange(&s_onItsWay, 1, 0) != 0)
        return;
    s_sentAt = now;
    ResetEvent(s_ran);
    // Starting a thread asks nothing of the loader; its beginning to run does.
    HANDLE probe = CreateThread(nullptr, 0, Probe, nullptr, 0, nullptr);
    if (!probe) {
        // No thread to spare: nothing is known, and nothing is held up for it.
        InterlockedExchange(&s_onItsWay, 0);
        SetEvent(s_ran);
        return;
    }
    CloseHandle(probe);
}

DWORD SinceSent() { return GetTickCount() - s_sentAt; }

// Whether the probe on its way is late (logged once): it has been on its way the
// limit, or a wait for it to the limit ran out.
bool Late(bool waitedOut)
{
    if (!s_onItsWay || (!waitedOut && SinceSent() < LOADER_ANSWER_MS))
        return false;
    if (!InterlockedExchange(&s_heldNoted, 1))
        DebugLog(L"The system's loader is held: a thread sent %u ms ago has not begun to run", (unsigned)SinceSent());
    return true;
}

} // namespace

bool LoaderAnswers()
{
    SendProbe();
    bool waitedOut = false;
    if (s_onItsWay) {
        DWORD spent = SinceSent();
        waitedOut = spent >= LOADER_ANSWER_MS || WaitForSingleObject(s_ran, LOADER_ANSWER_MS - spent) != WAIT_OBJECT_0;
    }
    return !Late(waitedOut);
}

bool LoaderKnownHeld()
{
    SendProbe();
    return Late(false);
}
