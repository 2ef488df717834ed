// The two power workers, started at start-up and ended by the terminate flag.
#pragma once
#include <windows.h>
#include "core/SharedWord.h"

// Drops the backlight requirement after BacklightTimeout without input; checks every 5 s.
DWORD WINAPI PowerTimeoutThread(LPVOID);
// Logs the system's power transitions.
DWORD WINAPI PowerNotificationThread(LPVOID);
extern SharedFlag g_powerThreadReturned; // raised by PowerNotificationThread as it returns
