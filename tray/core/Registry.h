// Generic registry access below HKEY_LOCAL_MACHINE, and the same with the key path
// fixed to the program's own key.
#pragma once
#include <windows.h>


// 1 when the value exists with the expected type and fits the buffer (a REG_DWORD:
// exactly 4 bytes), else 0. A value that is refused leaves the buffer as it was. A
// REG_SZ read always leaves the buffer terminated, even when the stored text filled
// it without a terminator.
int ReadRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes);
// 1 when the key could be created or opened, else 0; the value's own write is not examined.
int WriteRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes);

int ReadRegValue(const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes);
int WriteRegValue(const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes);
