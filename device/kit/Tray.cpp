// The emulated shell's tray: icons kept by the platform layer's Shell_NotifyIconW.
#include "DeviceKit.h"
#include <cwchar>

static DWORD ReadDword(HKEY key, const wchar_t* name)
{
    DWORD value = 0, bytes = sizeof value, type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)&value, &bytes) != ERROR_SUCCESS || type != REG_DWORD)
        return 0;
    return value;
}

std::vector<TrayIconEntry> ReadTrayIcons()
{
    std::vector<TrayIconEntry> icons;
    HKEY tray;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY L"\\Tray", 0, KEY_READ, &tray) != ERROR_SUCCESS)
        return icons;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 64;
        if (RegEnumKeyExW(tray, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY icon;
        if (RegOpenKeyExW(tray, name, 0, KEY_READ, &icon) != ERROR_SUCCESS)
            continue;
        TrayIconEntry entry;
        entry.window = (HWND)(UINT_PTR)ReadDword(icon, L"Window");
        entry.id = ReadDword(icon, L"Id");
        entry.callback = ReadDword(icon, L"Callback");
        RegCloseKey(icon);
        if (IsWindow(entry.window))
            icons.push_back(entry);
    }
    RegCloseKey(tray);
    return icons;
}

bool TapTrayIcon(const wchar_t* windowClass)
{
    for (const TrayIconEntry& icon : ReadTrayIcons()) {
        wchar_t cls[128] = {};
        GetClassNameW(icon.window, cls, 128);
        if (windowClass && _wcsicmp(cls, windowClass) != 0)
            continue;
        // A tap is a press and a release of the stylus on the icon.
        DWORD_PTR result;
        SendMessageTimeoutW(icon.window, icon.callback, icon.id, WM_LBUTTONDOWN, SMTO_ABORTIFHUNG, 5000, &result);
        SendMessageTimeoutW(icon.window, icon.callback, icon.id, WM_LBUTTONUP, SMTO_ABORTIFHUNG, 5000, &result);
        return true;
    }
    return false;
}
