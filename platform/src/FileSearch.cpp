// File search as the device's file system answers it: folders hold no "." and ".."
// entries, so an empty folder's search finds nothing and fails with
// ERROR_NO_MORE_FILES.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_files.h"
#include <wchar.h>

static bool IsDotEntry(const WIN32_FIND_DATAW* found)
{
    const WCHAR* name = found->cFileName;
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

BOOL WINAPI CeFindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found)
{
    for (;;) {
        if (!FindNextFileW(search, found))
            return FALSE;
        if (!IsDotEntry(found))
            return TRUE;
    }
}

HANDLE WINAPI CeFindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    HANDLE search = FindFirstFileW(pattern, found);
    if (search == INVALID_HANDLE_VALUE || !IsDotEntry(found))
        return search;
    if (CeFindNextFileW(search, found))
        return search;
    FindClose(search);
    SetLastError(ERROR_NO_MORE_FILES);
    return INVALID_HANDLE_VALUE;
}
