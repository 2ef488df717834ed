// Shell_NotifyIconW on the device: the shell keeps the icons of the tray. The
// emulated shell counts them in its state key, where tests and the demo see them:
// "TrayIcons" (icons shown now), "TrayIconAdds" and "TrayIconDeletes" (requests).
#include "ce_device_api.h"
#include <shellapi.h>

static void CountRequest(LPCWSTR name, int change, bool countAlways)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\EmulatedDevice", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD value = 0, bytes = sizeof value, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&value, &bytes) != ERROR_SUCCESS || type != REG_DWORD)
        value = 0;
    if (countAlways || (int)value + change >= 0) {
        value += change;
        RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    }
    RegCloseKey(key);
}

BOOL WINAPI CeShellNotifyIconW(DWORD operation, PNOTIFYICONDATAW data)
{
    BOOL result = Shell_NotifyIconW(operation, data);
    if (operation == NIM_ADD) {
        CountRequest(L"TrayIconAdds", 1, true);
        if (result)
            CountRequest(L"TrayIcons", 1, false);
    } else if (operation == NIM_DELETE) {
        CountRequest(L"TrayIconDeletes", 1, true);
        if (result)
            CountRequest(L"TrayIcons", -1, false);
    }
    return result;
}
