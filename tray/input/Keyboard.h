// Key reports from the driver injected with keybd_event, and the key-click sound.
#pragma once
#include <windows.h>

void HandleKeyReport(WPARAM report, LPARAM flags);
// Releases every key that the program injected as pressed and has not released
// (keyboard detached, shutdown).
void ReleaseHeldKeys();

int LoadKeySound(const WCHAR* path);
void FreeKeySound();
int PlayKeySound(HINSTANCE instance);
