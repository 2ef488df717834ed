#include "core/Registry.h"
#include "core/AppState.h"
#include "protocol/InstallContract.h"

enum { KEY_PATH_CHARS = 256 };

ScopedRegKey OpenRegKey(const WCHAR* keyPath)
{
    WCHAR path[KEY_PATH_CHARS];
    CopyText(path, KEY_PATH_CHARS, keyPath);
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        key.Release(); // nothing was opened
    return key;
}

ScopedRegKey CreateRegKey(const WCHAR* keyPath)
{
    WCHAR path[KEY_PATH_CHARS];
    CopyText(path, KEY_PATH_CHARS, keyPath);
    ScopedRegKey key;
    DWORD disposition;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), &disposition) !=
        ERROR_SUCCESS)
        key.Release(); // nothing was opened
    return key;
}

// A number is taken only whole: a shorter one would change part of the field and
// leave the rest of the old value behind.
static bool SizeFits(DWORD type, DWORD bytes, DWORD bufferBytes)
{
    return type == REG_DWORD ? bytes == sizeof(DWORD) && bufferBytes >= sizeof(DWORD) : bytes <= bufferBytes;
}

int ReadKeyValue(HKEY key, const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes)
{
    if (!key)
        return 0;
    // Type and size are checked before any byte reaches the caller's buffer, so a
    // refused value (a text under a number's name, an oversized text, a number of
    // another size) changes nothing.
    int result = 0;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == expectedType &&
        SizeFits(type, bytes, bufferBytes)) {
        bytes = bufferBytes;
        if (RegQueryValueExW(key, valueName, nullptr, &type, (BYTE*)buffer, &bytes) == ERROR_SUCCESS &&
            type == expectedType && SizeFits(type, bytes, bufferBytes))
            result = 1;
        if (result && type == REG_SZ && bufferBytes >= sizeof(WCHAR)) {
            WCHAR* text = (WCHAR*)buffer;
            DWORD chars = bufferBytes / sizeof(WCHAR);
            DWORD end = bytes / sizeof(WCHAR);
            text[end < chars ? end : chars - 1] = 0;
        }
    }
    return result;
}

int WriteKeyValue(HKEY key, const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes)
{
    return key && RegSetValueExW(key, valueName, 0, type, (const BYTE*)data, dataBytes) == ERROR_SUCCESS;
}

int ReadRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes)
{
    return ReadKeyValue(OpenRegKey(keyPath), valueName, expectedType, buffer, bufferBytes);
}

int WriteRegValue(const WCHAR* keyPath, const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes)
{
    return WriteKeyValue(CreateRegKey(keyPath), valueName, type, data, dataBytes);
}

int ReadRegValue(const WCHAR* valueName, DWORD expectedType, void* buffer, DWORD bufferBytes)
{
    return ReadRegValue(kProgramKeyPath, valueName, expectedType, buffer, bufferBytes);
}

int WriteRegValue(const WCHAR* valueName, DWORD type, const void* data, DWORD dataBytes)
{
    return WriteRegValue(kProgramKeyPath, valueName, type, data, dataBytes);
}
