// Where the data files are: the install path, "\", a folder, "\", a file name.
#pragma once
#include <windows.h>

// Joins into one shared buffer (main thread only; the next call overwrites it).
// A join that would not fit in 260 characters gives an empty result, so that no
// file is ever opened by a cut path.
const WCHAR* GetInstallFilePath(const WCHAR* keyPath, const WCHAR* folder, const WCHAR* fileName);
const WCHAR* GetInstallFilePath(const WCHAR* folder, const WCHAR* fileName); // the program's own key

// Clears the install-path cache (static initialisation; tests).
void ClearInstallPathCache();
