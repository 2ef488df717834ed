#include "AppKey.h"
#include <vector>

void DeleteAppKey() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, APP_KEY); }

void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(key, name, 0, type, (const BYTE*)data, bytes);
        RegCloseKey(key);
    }
}

void SetDword(const wchar_t* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof value); }

void SetText(const wchar_t* name, const std::wstring& text)
{
    SetRaw(name, REG_SZ, text.c_str(), (DWORD)((text.size() + 1) * sizeof(wchar_t)));
}

static bool Query(const wchar_t* name, DWORD* type, std::vector<BYTE>* data)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 0;
    bool ok = RegQueryValueExW(key, name, nullptr, type, nullptr, &bytes) == ERROR_SUCCESS;
    if (ok) {
        data->assign(bytes + 2, 0);
        ok = RegQueryValueExW(key, name, nullptr, type, data->data(), &bytes) == ERROR_SUCCESS;
        data->resize(bytes);
    }
    RegCloseKey(key);
    return ok;
}

bool HasValue(const wchar_t* name)
{
    DWORD type;
    std::vector<BYTE> data;
    return Query(name, &type, &data);
}

DWORD GetDword(const wchar_t* name, DWORD fallback)
{
    DWORD type;
    std::vector<BYTE> data;
    if (!Query(name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return fallback;
    return *(DWORD*)data.data();
}

std::wstring GetText(const wchar_t* name)
{
    DWORD type;
    std::vector<BYTE> data;
    if (!Query(name, &type, &data) || type != REG_SZ)
        return L"";
    data.push_back(0);
    data.push_back(0);
    return std::wstring((const wchar_t*)data.data());
}

DWORD GetValueSize(const wchar_t* name)
{
    DWORD type;
    std::vector<BYTE> data;
    return Query(name, &type, &data) ? (DWORD)data.size() : 0;
}
