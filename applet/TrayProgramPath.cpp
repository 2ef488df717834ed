// Where the tray program is: the install path the installation recorded, read as a
// bounded text, and the program's file name after it.
#include "Applet.h"
#include "ScopedWin.h"

// The value is read into 524 bytes; one more character keeps room for a terminator
// that the stored value may lack.
enum { INSTALL_VALUE_BYTES = 524, INSTALL_VALUE_CHARS = INSTALL_VALUE_BYTES / sizeof(WCHAR) };

static int ReadInstallPath(WCHAR (&value)[INSTALL_VALUE_CHARS + 1])
{
    value[0] = 0;
    ScopedRegKey key;
    DWORD disposition;
    // The device ignores access masks: the key is opened with none.
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProgramKeyPath, 0, nullptr, 0, 0, nullptr, key.Out(), &disposition) !=
        ERROR_SUCCESS)
        return 0;
    DWORD type = REG_NONE, bytes = INSTALL_VALUE_BYTES;
    LONG result = RegQueryValueExW(key, kInstallPathValue, nullptr, &type, (BYTE*)value, &bytes);
    key.Reset();
    // A value larger than the buffer, or not a text, is no install path. An expandable
    // text is used as it is: the device has no environment to expand it with.
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > INSTALL_VALUE_BYTES) {
        value[0] = 0;
        return 0;
    }
    value[bytes / sizeof(WCHAR)] = 0; // terminated whether or not the stored text was
    return value[0] != 0;
}

int GetTrayProgramPath(WCHAR* path, int pathChars)
{
    if (!path || pathChars <= 0)
        return 0;
    path[0] = 0;
    WCHAR installPath[INSTALL_VALUE_CHARS + 1];
    if (!ReadInstallPath(installPath))
        return 0;
    size_t folderChars = wcslen(installPath);
    size_t fileChars = wcslen(kProgramFile);
    // A path cut short would name another file: the whole name fits, or none is given.
    if (folderChars + 1 + fileChars + 1 > (size_t)pathChars)
        return 0;
    memcpy(path, installPath, folderChars * sizeof(WCHAR));
    path[folderChars] = L'\\';
    memcpy(path + folderChars + 1, kProgramFile, (fileChars + 1) * sizeof(WCHAR));
    return 1;
}
