// Shell_NotifyIconW on the device: the Pocket PC shell keeps the tray's icons and
// calls their windows back when they are tapped. The emulated shell keeps them in
// its state key (HKLM\Software\EmulatedDevice\Tray, one subkey per icon holding its
// window, identifier and callback message) where device tools find them to tap
// them; "TrayIconAdds" and "TrayIconDeletes" count the requests.
#include "ce_device_api.h"
#include "EmulatedDevice.h"
#include "ScopedWin.h"
#include <shellapi.h>
#include <wchar.h>

static const WCHAR kTrayKey[] = L"Software\\EmulatedDevice\\Tray";

static void IconKeyName(WCHAR* name, size_t chars, HWND window, UINT id)
{
    CeSnwprintf(name, chars - 1, L"%s\\%08X.%u", kTrayKey, (unsigned)(UINT_PTR)window, id);
    name[chars - 1] = 0;
}

static BOOL KeepIcon(const NOTIFYICONDATAW* data, bool mustExist)
{
    DeviceStateLock lock;
    WCHAR name[96];
    IconKeyName(name, 96, data->hWnd, data->uID);
    ScopedRegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), &disposition) !=
        ERROR_SUCCESS)
        return FALSE;
    if (mustExist && disposition == REG_CREATED_NEW_KEY) {
        key.Reset();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, name);
        return FALSE;
    }
    DWORD window = (DWORD)(UINT_PTR)data->hWnd, id = data->uID;
    RegSetValueExW(key, L"Window", 0, REG_DWORD, (const BYTE*)&window, sizeof window);
    RegSetValueExW(key, L"Id", 0, REG_DWORD, (const BYTE*)&id, sizeof id);
    if (data->uFlags & NIF_MESSAGE) {
        DWORD callback = data->uCallbackMessage;
        RegSetValueExW(key, L"Callback", 0, REG_DWORD, (const BYTE*)&callback, sizeof callback);
    }
    return TRUE;
}

BOOL WINAPI CeShellNotifyIconW(DWORD operation, PNOTIFYICONDATAW data)
{
    if (!data || !IsWindow(data->hWnd))
        return FALSE;
    switch (operation) {
    case NIM_ADD:
        DeviceStateAdd(L"TrayIconAdds", 1);
        return KeepIcon(data, false);
    case NIM_MODIFY:
        return KeepIcon(data, true);
    case NIM_DELETE: {
        DeviceStateAdd(L"TrayIconDeletes", 1);
        DeviceStateLock lock;
        WCHAR name[96];
        IconKeyName(name, 96, data->hWnd, data->uID);
        return RegDeleteKeyW(HKEY_LOCAL_MACHINE, name) == ERROR_SUCCESS;
    }
    }
    return FALSE;
}
