// The seventeen actions that a mouse input can be bound to.
#pragma once
#include <windows.h>

void DoAction(int button, DWORD& flags, DWORD& sequence);
void LaunchProgram(const WCHAR* file, const WCHAR* parameters);
void CloseTask();
void SwitchTask();
void ResetDevice();
void RotateScreen();
DWORD FindProcessId(const WCHAR* exeName);
int OpenBluetoothSettings();
