// GetProcAddress with a UTF-16 export name. Export names are plain ASCII; an ordinal
// (a value below 0x10000) is passed on as it is.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"

FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR procName)
{
    if (((ULONG_PTR)procName >> 16) == 0)
        return GetProcAddress(module, (LPCSTR)procName);
    char name[256];
    int i = 0;
    for (; procName[i] && i < (int)sizeof name - 1; ++i) {
        if (procName[i] > 0x7F) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        name[i] = (char)procName[i];
    }
    if (procName[i]) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    name[i] = 0;
    return GetProcAddress(module, name);
}
