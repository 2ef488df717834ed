// LoadLibraryW with the device's module search for a bare file name: the program's
// own folder, then \windows. The desktop would look in its system folders first and
// could hand back one of its own libraries of the same name.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_files.h"
#include "EmulatedDevice.h"
#include <wchar.h>

static bool IsBareName(LPCWSTR name)
{
    return name[0] && !wcschr(name, L'\\') && !wcschr(name, L'/') && !wcschr(name, L':');
}

// folder + "\" + name when a file (not a folder) of that name is there.
static bool FileInFolder(WCHAR* path, DWORD chars, LPCWSTR folder, DWORD folderLength, LPCWSTR name)
{
    size_t nameLength = wcslen(name);
    if (folderLength == 0 || folderLength + 1 + nameLength >= chars)
        return false;
    CopyDeviceText(path, chars, folder);
    path[folderLength] = L'\\';
    CopyDeviceText(path + folderLength + 1, chars - folderLength - 1, name);
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HMODULE WINAPI CeLoadLibraryW(LPCWSTR fileName)
{
    if (!fileName || !IsBareName(fileName))
        return LoadLibraryW(fileName);
    WCHAR folder[MAX_PATH], path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        while (length > 0 && folder[length - 1] != L'\\')
            --length;
        if (length > 0) {
            folder[--length] = 0;
            if (FileInFolder(path, MAX_PATH, folder, length, fileName))
                return LoadLibraryW(path);
        }
    }
    length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH && FileInFolder(path, MAX_PATH, folder, length, fileName))
        return LoadLibraryW(path);
    return LoadLibraryW(fileName);
}
