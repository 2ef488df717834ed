// Counters and switches of the emulated device, kept in the registry so that every
// process of the device (program, tools, tests) sees the same values.
#define CE_DEVICE_NO_NAME_MAPPING
#include "EmulatedDevice.h"
#include "ce_device_input.h"

const WCHAR kEmulatedDeviceKey[] = L"Software\\EmulatedDevice";

// Read-modify-write of a counter must not lose a step when two processes count at once.
static HANDLE StateLock()
{
    static HANDLE lock = CreateMutexW(nullptr, FALSE, L"EmulatedDevice.StateLock");
    return lock;
}

DWORD DeviceStateRead(LPCWSTR name, DWORD fallback)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmulatedDeviceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0, value = 0, bytes = sizeof value;
    LONG r = RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&value, &bytes);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD ? value : fallback;
}

void DeviceStateWrite(LPCWSTR name, DWORD value)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEmulatedDeviceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    RegCloseKey(key);
}

DWORD DeviceStateAdd(LPCWSTR name, LONG delta)
{
    HANDLE lock = StateLock();
    if (lock)
        WaitForSingleObject(lock, 2000);
    DWORD value = DeviceStateRead(name, 0) + (DWORD)delta;
    DeviceStateWrite(name, value);
    if (lock)
        ReleaseMutex(lock);
    return value;
}

DWORD WINAPI CeGetDeviceState(LPCWSTR name, DWORD fallback) { return DeviceStateRead(name, fallback); }

void WINAPI CeSetDeviceState(LPCWSTR name, DWORD value) { DeviceStateWrite(name, value); }
