// The USB host driver's side of the handshake: find the listener, post to it.
#include "DeviceKit.h"

bool PostDriver(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    return threadId != 0 && PostThreadMessageW(threadId, message, wParam, lParam) != FALSE;
}

// Asks the system rather than posting a probe message, so the listener's queue
// sees nothing but what a test posts.
static bool ThreadIsAlive(DWORD threadId)
{
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
    if (!thread)
        return false;
    DWORD code = 0;
    bool alive = GetExitCodeThread(thread, &code) && code == STILL_ACTIVE;
    CloseHandle(thread);
    return alive;
}

DWORD WaitForListener(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD threadId = ReadListenerThreadId();
        if (threadId && ThreadIsAlive(threadId))
            return threadId;
        if (GetTickCount() - start >= timeoutMs)
            return 0;
        Sleep(50);
    }
}
