// SystemParametersInfoW texts that only the device knows.
#include "ce_device_api.h"
#include <wchar.h>

#ifndef SPI_GETPLATFORMTYPE
#define SPI_GETPLATFORMTYPE 257
#endif
#ifndef SPI_GETOEMINFO
#define SPI_GETOEMINFO 258
#endif

// The emulated device's identity. The installer of the emulated device may
// override the OEM text with HKLM\Software\EmulatedDevice "OemInfo".
static const WCHAR kPlatformType[] = L"PocketPC";
static const WCHAR kOemInfo[] = L"Vantorix Emulated Pocket PC";

static BOOL CopyText(const WCHAR* text, UINT capacity, PVOID data)
{
    if (!data || capacity == 0)
        return FALSE;
    WCHAR* out = (WCHAR*)data;
    size_t n = wcslen(text);
    if (n >= capacity)
        n = capacity - 1;
    wmemcpy(out, text, n);
    out[n] = 0;
    return TRUE;
}

static bool ReadDeviceText(LPCWSTR value, WCHAR* out, DWORD chars)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\EmulatedDevice", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, bytes = (chars - 1) * sizeof(WCHAR);
    LONG r = RegQueryValueExW(key, value, nullptr, &type, (BYTE*)out, &bytes);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return false;
    out[bytes / sizeof(WCHAR)] = 0;
    return true;
}

BOOL WINAPI CeSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT winIni)
{
    // On CE, param is the buffer size for the text queries (in bytes or characters
    // depending on the caller's habit); the text is bounded by it either way.
    if (action == SPI_GETPLATFORMTYPE || action == SPI_GETOEMINFO) {
        WCHAR text[256] = {};
        LPCWSTR name = action == SPI_GETPLATFORMTYPE ? L"PlatformType" : L"OemInfo";
        if (!ReadDeviceText(name, text, 256))
            wcsncpy(text, action == SPI_GETPLATFORMTYPE ? kPlatformType : kOemInfo, 255);
        return CopyText(text, param, data);
    }
    return SystemParametersInfoW(action, param, data, winIni);
}
