// Waiting for what other processes (the program, the recorder, the X server) do in
// their own time.
#pragma once
#include <windows.h>

// Polls `condition` every 10 ms until it holds or the time is up; whether it held.
template <class Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = 5000)
{
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
    }
}
