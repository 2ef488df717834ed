// Registry paths as Windows CE reads them.
#include "ce_device_api.h"

static volatile LONG s_registryReadOnly;

void CeSetRegistryWritable(BOOL writable) { InterlockedExchange(&s_registryReadOnly, writable ? 0 : 1); }

// CE treats "\Software\X" and "Software\X" alike; desktop Win32 wants the latter.
static LPCWSTR DeviceKeyPath(LPCWSTR subKey)
{
    if (subKey)
        while (*subKey == L'\\')
            ++subKey;
    return subKey;
}

static bool Refused(HKEY root) { return root == HKEY_LOCAL_MACHINE && s_registryReadOnly; }

// The device ignores access masks; desktop Win32 gives a handle opened with none no
// rights at all. A zero mask gets what the device grants: reading and writing.
static REGSAM DeviceAccess(REGSAM access) { return access ? access : KEY_READ | KEY_WRITE; }

LONG WINAPI CeRegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    if (Refused(root) && (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)))
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExW(root, DeviceKeyPath(subKey), options, DeviceAccess(access), result);
}

LONG WINAPI CeRegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                              REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    if (Refused(root))
        return ERROR_ACCESS_DENIED;
    return RegCreateKeyExW(root, DeviceKeyPath(subKey), reserved, className, options, DeviceAccess(access), security,
                           result, disposition);
}

LONG WINAPI CeRegDeleteKeyW(HKEY root, LPCWSTR subKey)
{
    if (Refused(root))
        return ERROR_ACCESS_DENIED;
    return RegDeleteKeyW(root, DeviceKeyPath(subKey));
}
