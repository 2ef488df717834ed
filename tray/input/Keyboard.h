// Key reports from the driver injected with keybd_event.
#pragma once
#include <windows.h>

// One TM_KBREPORT: the report word and the keybd_event flags, as the driver sent them.
void HandleKeyReport(DWORD report, DWORD flags);
// Releases every key that the program injected as pressed and has not released
// (keyboard detached or switched off, shutdown), with the flags it was pressed with.
void ReleaseHeldKeys();
