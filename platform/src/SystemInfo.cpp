// SystemParametersInfoW texts that only the device knows.
#include "ce_device_api.h"
#include "EmulatedDevice.h"
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

BOOL WINAPI CeSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT winIni)
{
    // On CE, param is the buffer size for the text queries (in bytes or characters
    // depending on the caller's habit); the text is bounded by it either way.
    if (action == SPI_GETPLATFORMTYPE || action == SPI_GETOEMINFO) {
        if (!data || param == 0)
            return FALSE;
        WCHAR text[256] = {};
        LPCWSTR name = action == SPI_GETPLATFORMTYPE ? L"PlatformType" : L"OemInfo";
        if (!DeviceStateReadText(name, text, ARRAYSIZE(text)))
            CopyDeviceText(text, ARRAYSIZE(text), action == SPI_GETPLATFORMTYPE ? kPlatformType : kOemInfo);
        CopyDeviceText((WCHAR*)data, param, text);
        return TRUE;
    }
    return SystemParametersInfoW(action, param, data, winIni);
}
