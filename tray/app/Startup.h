// Start-up and termination of the tray program.
#pragma once
#include <windows.h>

// The automatic-start rule: run when Enable_Autostart is nonzero or the whole
// command line is "-tray" (any letter case).
bool MayStart(DWORD autostart, const WCHAR* commandLine);

// The termination sequence, run on the main thread from WM_DESTROY.
void TerminateApp();
