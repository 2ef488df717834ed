// Kernel services of the CE platform (KernelIoControl), as the platform layer
// provides them on this build. The emulated device records a reboot as a restart
// counter ("Reboot" in HKLM\Software\EmulatedDevice); the host is never touched.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FILE_DEVICE_HAL 0x00000101
// CTL_CODE(FILE_DEVICE_HAL, 15, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_HAL_REBOOT 0x0101003C

BOOL WINAPI KernelIoControl(DWORD ioControlCode, LPVOID inBuffer, DWORD inBytes, LPVOID outBuffer, DWORD outBytes,
                            LPDWORD bytesReturned);

#ifdef __cplusplus
}
#endif
