// Power management (the CE power manager's API), as the platform layer provides it
// on this build. The emulated device keeps its power state in
// HKLM\Software\EmulatedDevice: "Backlight" (1 while a requirement holds BKL1: on),
// "BacklightRequests" and "BacklightReleases" (counters).
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum _CEDEVICE_POWER_STATE {
    PwrDeviceUnspecified = -1,
    D0 = 0, // full on
    D1,
    D2,
    D3,
    D4, // off
    PwrDeviceMaximum
} CEDEVICE_POWER_STATE, *PCEDEVICE_POWER_STATE;

// Device flags of SetPowerRequirement.
#define POWER_NAME  0x00000001 // the device is given by its name ("BKL1:")
#define POWER_FORCE 0x00001000

// Notification classes of RequestPowerNotifications.
#define PBT_TRANSITION        0x00000001
#define PBT_RESUME            0x00000002
#define PBT_POWERSTATUSCHANGE 0x00000004
#define PBT_POWERINFOCHANGE   0x00000008
#define POWER_NOTIFY_ALL      0xFFFFFFFF

// System power states, as carried in a transition's Flags.
#define POWER_STATE_ON       0x00010000
#define POWER_STATE_OFF      0x00020000
#define POWER_STATE_CRITICAL 0x00040000
#define POWER_STATE_BOOT     0x00080000
#define POWER_STATE_IDLE     0x00100000
#define POWER_STATE_SUSPEND  0x00200000
#define POWER_STATE_RESET    0x00800000

// One notification as it arrives in the subscriber's message queue: the state's
// name follows the header (Length bytes, terminator included).
typedef struct _POWER_BROADCAST {
    DWORD Message;
    DWORD Flags;
    DWORD Length;
    WCHAR SystemPowerState[1];
} POWER_BROADCAST, *PPOWER_BROADCAST;

HANDLE WINAPI SetPowerRequirement(PVOID device, CEDEVICE_POWER_STATE deviceState, ULONG deviceFlags,
                                  PVOID systemState, ULONG stateFlags);
DWORD WINAPI ReleasePowerRequirement(HANDLE requirement);

// Subscribes a read-access message queue (msgqueue.h) to power notifications.
HANDLE WINAPI RequestPowerNotifications(HANDLE messageQueue, DWORD flags);
BOOL WINAPI StopPowerNotifications(HANDLE notifications);

#ifdef __cplusplus
}
#endif
