// Device meanings of desktop names used by the input code (pointer, keys, power,
// display, tool help). Included by ce_device.h.
//
// The emulated device keeps its state in HKLM\Software\EmulatedDevice, where tests
// and the demo can watch it: "Backlight", "BacklightRequests", "BacklightReleases"
// (pm.h), "Reboot" (pkfuncs.h), "Suspend", "Orientation" (degrees), "PowerSubscribers"
// and "KeyClicks".
//
// A platform source that implements one of these wrappers defines
// CE_DEVICE_NO_NAME_MAPPING before including this header, so that it still reaches
// the desktop function of the same name.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#ifdef __cplusplus
extern "C" {
#endif

// mouse_event. An absolute position is given the device's way, nx = X * 65535 / width,
// and is delivered so that it lands on pixel X itself (the desktop maps with truncation,
// which would put it one pixel short).
void WINAPI CeMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extraInfo);

// keybd_event. VK_OFF, the power key, suspends the emulated device (a "Suspend"
// count and a Suspend power transition) instead of being injected.
void WINAPI CeKeybdEvent(BYTE virtualKey, BYTE scanCode, DWORD flags, ULONG_PTR extraInfo);

// PlaySoundW. Plays as the desktop does; a sound played from memory (SND_MEMORY, the
// key click) is also counted in "KeyClicks", the one trace a sound leaves that a test
// can read.
BOOL WINAPI CePlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);

// ChangeDisplaySettingsExW. With DM_DISPLAYORIENTATION in dmFields: CDS_TEST reports
// the current orientation, otherwise the screen is turned (the emulated screen swaps
// width and height for a quarter turn) and WM_SETTINGCHANGE is sent to every
// top-level window with a time-out, so that a hung window cannot hold the caller.
// Other requests go to the desktop function.
LONG WINAPI CeChangeDisplaySettingsExW(LPCWSTR deviceName, DEVMODEW* mode, HWND window, DWORD flags, LPVOID param);

// GetDesktopWindow: on the Pocket PC the shell's Today screen (the window titled
// "Desktop"); the desktop's own window when the shell is not running.
HWND WINAPI CeGetDesktopWindow(void);
// GetForegroundWindow: the Today screen where the desktop's root window is in front.
HWND WINAPI CeGetForegroundWindow(void);

// LoadCursorW. The device finds its system cursors (IDC_WAIT, IDC_ARROW, ...) through
// any instance; the desktop only through a null one.
HCURSOR WINAPI CeLoadCursorW(HINSTANCE instance, LPCWSTR name);

// CreateToolhelp32Snapshot, accepting the device's TH32CS_SNAPNOHEAPS.
HANDLE WINAPI CeCreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL WINAPI CloseToolhelp32Snapshot(HANDLE snapshot);

// GetProcAddress with the export's name in UTF-16 (COREDLL).
FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR procName);

// Delivers a power transition to every queue subscribed with RequestPowerNotifications,
// in any process of the device. Returns the number of queues reached. For device tools.
int WINAPI CeDeliverPowerTransition(DWORD powerState, LPCWSTR stateName);

// The emulated device's state values (HKLM\Software\EmulatedDevice), for device tools
// and tests.
DWORD WINAPI CeGetDeviceState(LPCWSTR name, DWORD fallback);
void WINAPI CeSetDeviceState(LPCWSTR name, DWORD value);

#ifdef __cplusplus
}
#endif

// Names that only the device has, and device values that differ from the desktop's.
#define VK_OFF 0xDF
#define TH32CS_SNAPNOHEAPS 0x40000000
#define WS_EX_CAPTIONOKBTN 0x80000000L
#define SETTINGCHANGE_RESET 0x3002
#define CE_DM_DISPLAYORIENTATION 0x00800000L
#define CE_DMDO_270 4

#ifndef CE_DEVICE_NO_NAME_MAPPING
#undef DM_DISPLAYORIENTATION
#define DM_DISPLAYORIENTATION CE_DM_DISPLAYORIENTATION
#undef DMDO_270
#define DMDO_270 CE_DMDO_270

#undef ChangeDisplaySettingsEx
#define ChangeDisplaySettingsEx   CeChangeDisplaySettingsExW
#define ChangeDisplaySettingsExW  CeChangeDisplaySettingsExW
#define mouse_event               CeMouseEvent
#define keybd_event               CeKeybdEvent
#undef PlaySound
#define PlaySound                 CePlaySoundW
#define PlaySoundW                CePlaySoundW
#define GetDesktopWindow          CeGetDesktopWindow
#define GetForegroundWindow       CeGetForegroundWindow
#define CreateToolhelp32Snapshot  CeCreateToolhelp32Snapshot
#undef LoadCursor
#define LoadCursor                CeLoadCursorW
#define LoadCursorW               CeLoadCursorW
#endif
