// The emulated device's own state (HKLM\Software\EmulatedDevice), shared by the
// processes of the device: counters, switches, the tray's icons, backlight holders,
// power subscribers. Every change goes through these helpers, under the device's
// cross-process lock. Internal to the platform layer.
#pragma once
#include <windows.h>
#include "ScopedWin.h"

extern const WCHAR kEmulatedDeviceKey[]; // L"Software\\EmulatedDevice"

// Holds the device's state lock for a scope. Changes that read before they write
// (counters, lists of holders) must not lose a step when two processes make them.
class DeviceStateLock {
public:
    DeviceStateLock();

private:
    ScopedHandle mutex_; // declared first: closed after the lock is let go
    ScopedLock lock_;
};

// The state key, or one of its subkeys (`subKey` null for the key itself), opened
// for reading and writing and created when missing. Null on failure; the caller closes it.
HKEY DeviceStateKey(LPCWSTR subKey);

DWORD DeviceStateRead(LPCWSTR name, DWORD fallback);
void DeviceStateWrite(LPCWSTR name, DWORD value);
// Adds delta to a counter under the device's lock and returns the new value.
DWORD DeviceStateAdd(LPCWSTR name, LONG delta);
// A text value of the state key; false when absent or not a text. Always terminated.
bool DeviceStateReadText(LPCWSTR name, WCHAR* text, DWORD chars);

// The screen's size as the device's pointer code sees it, without asking the system
// each time (a question that costs server round trips under Wine); a change of the
// display made through the platform, in any process of the device, is noticed.
void CurrentScreenSize(int* width, int* height);
void NoteDisplayChanged();

// Bounded copy into a fixed buffer of `chars` characters: always terminated.
void CopyDeviceText(WCHAR* dest, size_t chars, LPCWSTR src);
