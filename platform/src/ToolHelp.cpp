// Tool help with the device's flags: TH32CS_SNAPNOHEAPS only spares the device the
// heap lists, which the desktop never takes for a process snapshot.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"

HANDLE WINAPI CeCreateToolhelp32Snapshot(DWORD flags, DWORD processId)
{
    return CreateToolhelp32Snapshot(flags & ~(DWORD)TH32CS_SNAPNOHEAPS, processId);
}

BOOL WINAPI CloseToolhelp32Snapshot(HANDLE snapshot) { return CloseHandle(snapshot); }
