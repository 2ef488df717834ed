// Device meanings of desktop names for files, modules and launches. Included by
// ce_device.h.
//
// A platform source that implements one of these wrappers defines
// CE_DEVICE_NO_NAME_MAPPING before including this header, so that it still reaches
// the desktop function of the same name.
#pragma once
#include <windows.h>
#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// LoadLibraryW. A bare file name is searched the device's way: the program's own
// folder, then \windows; only a name found in neither goes to the desktop search.
HMODULE WINAPI CeLoadLibraryW(LPCWSTR fileName);

// FindFirstFileW / FindNextFileW. The device's folders hold no "." and ".." entries:
// they are skipped, so a search in an empty folder fails at once with
// ERROR_NO_MORE_FILES, as on the device.
HANDLE WINAPI CeFindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
BOOL WINAPI CeFindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found);

// ShellExecuteExW. A shortcut (a file ending in ".lnk") is the device's text form
// "NN#COMMAND": the command's program is started with the command's arguments,
// followed by the caller's parameters. Other files go to the desktop function.
BOOL WINAPI CeShellExecuteExW(SHELLEXECUTEINFOW* info);

// Splits the text of a shortcut file into the program and its arguments; false for
// text that is not a shortcut or whose parts do not fit the buffers (a cut path
// would name another program). Both outputs are always terminated.
BOOL WINAPI CeParseShortcut(const char* text, DWORD bytes, LPWSTR program, DWORD programChars, LPWSTR arguments,
                            DWORD argumentChars);

#ifdef __cplusplus
}
#endif

#ifndef CE_DEVICE_NO_NAME_MAPPING
#undef LoadLibrary
#undef FindFirstFile
#undef FindNextFile
#undef ShellExecuteEx
#define LoadLibrary     CeLoadLibraryW
#define LoadLibraryW    CeLoadLibraryW
#define FindFirstFile   CeFindFirstFileW
#define FindFirstFileW  CeFindFirstFileW
#define FindNextFile    CeFindNextFileW
#define FindNextFileW   CeFindNextFileW
#define ShellExecuteEx  CeShellExecuteExW
#define ShellExecuteExW CeShellExecuteExW
#endif
