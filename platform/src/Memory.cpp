// Memory figures as a Pocket PC reports them. The emulated device has 64 MiB of RAM
// for programs; what the calling process has committed counts as used, so the free
// figure moves with the program's own allocations and not with the host's load.
#include "ce_device_api.h"
#include <psapi.h>

static const SIZE_T kDeviceRam = 64u * 1024u * 1024u;

void WINAPI CeGlobalMemoryStatus(LPMEMORYSTATUS status)
{
    if (!status)
        return;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    SIZE_T used = 0;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        used = counters.PagefileUsage;
    if (used > kDeviceRam)
        used = kDeviceRam;
    status->dwLength = sizeof *status;
    status->dwMemoryLoad = (DWORD)(used * 100 / kDeviceRam);
    status->dwTotalPhys = kDeviceRam;
    status->dwAvailPhys = kDeviceRam - used;
    status->dwTotalPageFile = 0;
    status->dwAvailPageFile = 0;
    status->dwTotalVirtual = 32u * 1024u * 1024u; // a CE 4.2 process slot
    status->dwAvailVirtual = status->dwTotalVirtual > used ? status->dwTotalVirtual - used : 0;
}
