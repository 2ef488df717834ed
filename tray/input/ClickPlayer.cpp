// The key click's player thread and its queue.
#include "input/ClickPlayer.h"
#include <mmsystem.h>
#include "ScopedWin.h"
#include "core/DebugLog.h"
#include "core/SharedWord.h"

namespace {

enum {
    CLICKS_QUEUED_MAX = 8,
    // A click asked for longer ago than this is not played: the sound system held the
    // player, and a click long after its key would be no help.
    CLICK_STALE_MS = 2000,
    // How long stopping waits for the player to leave the sound system.
    PLAYER_STOP_MS = 1000,
};

struct ClickPlayer {
    ScopedHandle requests; // a semaphore: one count per click asked for
    ScopedHandle stop;     // set to end the player
    ScopedHandle done;     // set by the player as it ends, not by its thread's end,
                           // which passes through the system's loader
    const BYTE* sound;
    HINSTANCE instance;    // written by the listener before each request; the request carries it over
    SharedWord askedAt;    // GetTickCount of the last click asked for; written by the listener
    SharedFlag dropNoted;  // a dropped click is logged once until the player plays again
    bool running;
};
ClickPlayer s_player;

DWORD WINAPI PlayClicks(void*)
{
    HANDLE waits[2] = {s_player.stop, s_player.requests};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (GetTickCount() - (DWORD)s_player.askedAt.Get() > CLICK_STALE_MS)
            continue;
        PlaySoundW((LPCWSTR)s_player.sound, s_player.instance, SND_MEMORY | SND_ASYNC);
        s_player.dropNoted.Set(false);
    }
    PlaySoundW(nullptr, nullptr, 0); // the last click ends before its sound is freed
    SetEvent(s_player.done);
    return 0;
}

} // namespace

bool StartClickPlayer(const BYTE* sound)
{
    if (s_player.running || !sound)
        return s_player.running;
    s_player.requests.Reset(CreateSemaphoreW(nullptr, 0, CLICKS_QUEUED_MAX, nullptr));
    s_player.stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    s_player.done.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    s_player.sound = sound;
    if (s_player.requests && s_player.stop && s_player.done) {
        ScopedHandle thread(CreateThread(nullptr, 0, PlayClicks, nullptr, 0, nullptr));
        s_player.running = thread.IsValid();
    }
    if (!s_player.running)
        DebugLog(L"Key click: no thread to play it, keys make no sound");
    return s_player.running;
}

bool RequestClick(HINSTANCE instance)
{
    if (!s_player.running)
        return false;
    s_player.instance = instance;
    s_player.askedAt.Set((LONG)GetTickCount());
    if (ReleaseSemaphore(s_player.requests, 1, nullptr))
        return true;
    if (s_player.dropNoted.Raise())
        DebugLog(L"Key click dropped: the sound system has not finished the clicks before");
    return false;
}

bool StopClickPlayer()
{
    if (!s_player.running)
        return true;
    SetEvent(s_player.stop);
    if (WaitForSingleObject(s_player.done, PLAYER_STOP_MS) != WAIT_OBJECT_0) {
        // Still inside the sound system, which may still read the sound: the player,
        // its queue and the sound stay as they are.
        DebugLog(L"Key click: the sound system still holds the player, its sound is left");
        s_player.requests.Release();
        s_player.stop.Release();
        s_player.done.Release();
        s_player.running = false;
        return false;
    }
    s_player.requests.Reset();
    s_player.stop.Reset();
    s_player.done.Reset();
    s_player.running = false;
    return true;
}
