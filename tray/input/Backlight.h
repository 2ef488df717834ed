// Holding the backlight on while input arrives, and logging power transitions.
#pragma once
#include <windows.h>

void SetBacklightRequirement(int on);
void NoteInputActivity();
DWORD WINAPI PowerTimeoutThread(LPVOID);
DWORD WINAPI PowerNotificationThread(LPVOID);

// What the time-out thread checks: whether the requirement was asked for, and when
// the last input arrived (GetTickCount).
int IsBacklightHeld();
DWORD LastInputTime();
