// Counters and switches of the emulated device, kept in the registry so that every
// process of the device (program, tools, tests) sees the same values.
#define CE_DEVICE_NO_NAME_MAPPING
#include "EmulatedDevice.h"
#include "ScopedWin.h"
#include <wchar.h>
#include "ce_device_api.h"
#include "ce_device_input.h"

const WCHAR kEmulatedDeviceKey[] = L"Software\\EmulatedDevice";

enum { STATE_LOCK_WAIT_MS = 2000, STATE_PATH_CHARS = 128 };

// A holder that died hands the lock on (ScopedLock takes an abandoned mutex).
DeviceStateLock::DeviceStateLock()
    : mutex_(CreateMutexW(nullptr, FALSE, L"EmulatedDevice.StateLock")), lock_(mutex_, STATE_LOCK_WAIT_MS)
{
}

void CopyDeviceText(WCHAR* dest, size_t chars, LPCWSTR src)
{
    if (!dest || chars == 0)
        return;
    size_t i = 0;
    for (; src && src[i] && i + 1 < chars; ++i)
        dest[i] = src[i];
    dest[i] = 0;
}

HKEY DeviceStateKey(LPCWSTR subKey)
{
    WCHAR path[STATE_PATH_CHARS];
    if (subKey)
        CeSnwprintf(path, STATE_PATH_CHARS - 1, L"%s\\%s", kEmulatedDeviceKey, subKey);
    else
        CopyDeviceText(path, STATE_PATH_CHARS, kEmulatedDeviceKey);
    path[STATE_PATH_CHARS - 1] = 0;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

DWORD DeviceStateRead(LPCWSTR name, DWORD fallback)
{
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmulatedDeviceKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0, value = 0, bytes = sizeof value;
    LONG r = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&value, &bytes);
    return r == ERROR_SUCCESS && type == REG_DWORD ? value : fallback;
}

bool DeviceStateReadText(LPCWSTR name, WCHAR* text, DWORD chars)
{
    ScopedRegKey key;
    if (chars == 0 || RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmulatedDeviceKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, bytes = (chars - 1) * sizeof(WCHAR);
    LONG r = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)text, &bytes);
    key.Reset();
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return false;
    text[bytes / sizeof(WCHAR)] = 0;
    return true;
}

void DeviceStateWrite(LPCWSTR name, DWORD value)
{
    DeviceStateLock lock;
    ScopedRegKey key(DeviceStateKey(nullptr));
    if (key)
        RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
}

DWORD DeviceStateAdd(LPCWSTR name, LONG delta)
{
    DeviceStateLock lock;
    DWORD value = DeviceStateRead(name, 0) + (DWORD)delta;
    DeviceStateWrite(name, value); // the lock is a mutex: taking it again is allowed
    return value;
}

DWORD WINAPI CeGetDeviceState(LPCWSTR name, DWORD fallback) { return DeviceStateRead(name, fallback); }

void WINAPI CeSetDeviceState(LPCWSTR name, DWORD value) { DeviceStateWrite(name, value); }
