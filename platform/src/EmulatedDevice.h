// The emulated device's own state (HKLM\Software\EmulatedDevice), shared by the
// processes of the device. Internal to the platform layer.
#pragma once
#include <windows.h>

extern const WCHAR kEmulatedDeviceKey[]; // L"Software\\EmulatedDevice"

DWORD DeviceStateRead(LPCWSTR name, DWORD fallback);
void DeviceStateWrite(LPCWSTR name, DWORD value);
// Adds delta to a counter under the device's lock and returns the new value.
DWORD DeviceStateAdd(LPCWSTR name, LONG delta);
