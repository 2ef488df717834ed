// The loader's probe: one thread at a time, which does nothing but tell that it ran.
// A probe sent while the loader is held waits with it; it is not sent again, so a
// held loader costs one waiting thread, not one per question.
#include "core/LoaderWatch.h"
#include "core/DebugLog.h"
#include "core/SharedWord.h"

namespace {

SharedFlag s_onItsWay;  // from a probe's sending (by whoever asks) until it runs (the probe)
SharedWord s_sentAt;    // GetTickCount when the probe on its way was sent; by its sender
SharedFlag s_heldNoted; // its lateness is logged once; raised by whoever sees it, lowered by the probe
HANDLE s_ran = CreateEventW(nullptr, TRUE, TRUE, nullptr); // set by each probe that ran

DWORD WINAPI Probe(void*)
{
    DWORD late = GetTickCount() - (DWORD)s_sentAt.Get();
    if (s_heldNoted.Lower())
        DebugLog(L"The system's loader answers again, after %u ms", (unsigned)late);
    s_onItsWay.Set(false);
    SetEvent(s_ran);
    return 0;
}

void SendProbe()
{
    if (s_onItsWay.IsSet() || !s_ran)
        return;
    DWORD now = GetTickCount();
    if (!s_onItsWay.Raise())
        return;
    s_sentAt.Set((LONG)now);
    ResetEvent(s_ran);
    // Starting a thread asks nothing of the loader; its beginning to run does.
    HANDLE probe = CreateThread(nullptr, 0, Probe, nullptr, 0, nullptr);
    if (!probe) {
        // No thread to spare: nothing is known, and nothing is held up for it.
        s_onItsWay.Set(false);
        SetEvent(s_ran);
        return;
    }
    CloseHandle(probe);
}

DWORD SinceSent() { return GetTickCount() - (DWORD)s_sentAt.Get(); }

// Whether the probe on its way is late (logged once): it has been on its way the
// limit, or a wait for it to the limit ran out.
bool Late(bool waitedOut)
{
    if (!s_onItsWay.IsSet() || (!waitedOut && SinceSent() < LOADER_ANSWER_MS))
        return false;
    if (s_heldNoted.Raise())
        DebugLog(L"The system's loader is held: a thread sent %u ms ago has not begun to run", (unsigned)SinceSent());
    return true;
}

} // namespace

bool LoaderAnswers()
{
    SendProbe();
    bool waitedOut = false;
    if (s_onItsWay.IsSet()) {
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
