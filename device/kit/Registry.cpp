// Registry values outside the program's settings: the listener handshake (INTRCM)
// and the emulated device's own state key.
#include "DeviceKit.h"

static bool QueryValue(const wchar_t* keyPath, const wchar_t* name, DWORD* type, void* data, DWORD* bytes)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool ok = RegQueryValueExW(key, name, nullptr, type, (BYTE*)data, bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

static bool SetValue(const wchar_t* keyPath, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, name, 0, type, (const BYTE*)data, bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

DWORD ReadListenerThreadId()
{
    DWORD type = 0, value = 0, bytes = sizeof value;
    if (!QueryValue(APP_KEY, kListenerThreadValue, &type, &value, &bytes) || type != REG_DWORD || bytes != sizeof value)
        return 0;
    return value;
}

void DeleteListenerThreadId()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, kListenerThreadValue);
        RegCloseKey(key);
    }
}

void WriteListenerThreadId(DWORD threadId) { SetValue(APP_KEY, kListenerThreadValue, REG_DWORD, &threadId, sizeof threadId); }

DWORD ReadDeviceDword(const wchar_t* name, DWORD fallback)
{
    DWORD type = 0, value = 0, bytes = sizeof value;
    if (!QueryValue(DEVICE_STATE_KEY, name, &type, &value, &bytes) || type != REG_DWORD || bytes != sizeof value)
        return fallback;
    return value;
}

bool HasDeviceValue(const wchar_t* name)
{
    DWORD type = 0, bytes = 0;
    return QueryValue(DEVICE_STATE_KEY, name, &type, nullptr, &bytes);
}

std::wstring ReadDeviceText(const wchar_t* name)
{
    wchar_t text[1024] = {};
    DWORD type = 0, bytes = sizeof text - sizeof(wchar_t);
    if (!QueryValue(DEVICE_STATE_KEY, name, &type, text, &bytes) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    return std::wstring(text);
}

bool WriteDeviceDword(const wchar_t* name, DWORD value)
{
    return SetValue(DEVICE_STATE_KEY, name, REG_DWORD, &value, sizeof value);
}

void ClearDeviceState() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY); }
