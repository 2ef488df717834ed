// Generic registry access below HKEY_LOCAL_MACHINE, and the same with the key path
// fixed to the program's own key.
#pragma once
#include <windows.h>
#include "ScopedWin.h"

// The key opened for reading; empty when it cannot be opened (missing).
ScopedRegKey OpenRegKey(const WCHAR* keyPath);
// The key created or opened for writing; empty when neither is possible.
ScopedRegKey CreateRegKey(const WCHAR* keyPath);

// Reads one value of an open key: 1 when it exists with the expected type and fits
// the buffer (a REG_DWORD: exactly 4 bytes), else 0. A value that is refused leaves
// the buffer as it was. A REG_SZ read always leaves the buffer terminated, even when
// the stored text filled it without a terminator. An empty key reads nothing.
int ReadKeyValue(HKEY key, const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes);
// Writes one value of an open key: 1 when it was written, else 0 (an empty key
// writes nothing).
int WriteKeyValue(HKEY key, const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes);

// The same, opening the key for the one value.
int ReadRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes);
int WriteRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes);

int ReadRegValue(const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes);
int WriteRegValue(const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes);
