// Closing and switching the foreground task.
#pragma once
#include <windows.h>

void CloseTask();
void SwitchTask();
// The first running process whose executable has this name (any letter case), or 0.
DWORD FindProcessId(const WCHAR* exeName);
