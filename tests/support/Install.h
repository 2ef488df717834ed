// A fresh installation for a test: the program key as the installer leaves it and
// the data files below \Program Files\Vantorix.
#pragma once
#include <windows.h>
#include <string>
#include "DeviceKit.h"

// Stops a running program, installs with the given options and reports a failure
// to GoogleTest; true on success.
bool InstallFresh(const InstallOptions& options = InstallOptions());
// C:\Program Files\Vantorix\FOLDER\FILE (FOLDER may be empty).
std::wstring InstalledFile(const wchar_t* folder, const wchar_t* file);

// The installed program: start it (e.g. with L"-tray"), and end every running copy
// (WM_CLOSE to its window first, then termination). Both wait for the outcome.
HANDLE StartInstalledProgram(const std::wstring& arguments, DWORD* processId = nullptr);
void StopInstalledProgram(DWORD timeoutMs = 5000);
