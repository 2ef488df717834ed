// Windows CE behaviour on desktop Win32: the platform layer's own entry points.
// Product code does not call these names; ce_device.h maps the desktop names onto
// them so that the same source builds unchanged against the real CE SDK.
#pragma once
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

// Registry: Windows CE accepts key paths with a leading separator, desktop Win32
// refuses them (ERROR_BAD_PATHNAME). Both spellings name the same key. The device
// ignores access masks: a zero mask here means reading and writing.
LONG WINAPI CeRegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG WINAPI CeRegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                              REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG WINAPI CeRegDeleteKeyW(HKEY root, LPCWSTR subKey);

// A fault switch for tests: while set, opening or creating keys below HKEY_LOCAL_MACHINE
// through the two calls above fails with ERROR_ACCESS_DENIED, like a read-only registry.
void CeSetRegistryWritable(BOOL writable);

// A fault switch for tests: while cleared, SetPowerRequirement fails with
// ERROR_NOT_ENOUGH_MEMORY, as when the power manager has no room for another requirement.
void CeSetPowerRequirementsGranted(BOOL granted);
// A fault switch for tests: a busy power manager, whose requirement calls take this
// long to answer (0: at once).
void CeSetPowerManagerDelay(DWORD milliseconds);

// SystemParametersInfoW with the device's SPI_GETPLATFORMTYPE and SPI_GETOEMINFO texts.
BOOL WINAPI CeSystemParametersInfoW(UINT action, UINT param, PVOID data, UINT winIni);

// Wide formatted output where %s takes a UTF-16 text, as in the device's C runtime.
int __cdecl CeVsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
int __cdecl CeSnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...);
int __cdecl CeVfwprintf(FILE* file, const wchar_t* format, va_list args);
int __cdecl CeFwprintf(FILE* file, const wchar_t* format, ...);

// The shell's treatment of top-level windows: no desktop caption or frame, and a
// window created with CW_USEDEFAULT fills the screen below the shell's top bar
// (SHCreateMenuBar then gives the bottom to the soft-key bar).
HWND WINAPI CeCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                              int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// SetForegroundWindow; a handle with its lowest bit set also brings the window's
// owned pop-ups forward (the shell's convention).
BOOL WINAPI CeSetForegroundWindow(HWND window);
// Height of the shell's top bar ("HHTaskBar"), or what it will be once the shell runs.
int WINAPI CeShellBarHeight(void);
// The shell's rule for its top bar: 26 pixels per vertical scale factor, which is 2
// from a screen height of 480 pixels up.
static inline int CeTopBarHeightFor(int screenHeight) { return 26 * (screenHeight >= 480 ? 2 : 1); }

// The shell keeps a full-screen state per window (SHFullScreen): the window is sent
// to the top bar ("HHTaskBar") in wParam of this registered message, its SHFS_ flags
// in lParam. While a window whose state hides the top bar is in front, the shell
// hides its bar.
#define CE_SHELL_FULLSCREEN_MESSAGE L"EmulatedShell.FullScreen"

// Shell_NotifyIconW, with the emulated shell's count of tray icons.
typedef struct _NOTIFYICONDATAW* PNOTIFYICONDATAW_CE;
BOOL WINAPI CeShellNotifyIconW(DWORD operation, PNOTIFYICONDATAW_CE data);

// GetStockObject; DEFAULT_GUI_FONT is twice as tall on a screen of 480 pixels and more.
HGDIOBJ WINAPI CeGetStockObject(int object);

// Memory figures of the emulated device (64 MiB of program RAM).
void WINAPI CeGlobalMemoryStatus(LPMEMORYSTATUS status);

// TransparentImage: TransparentBlt from a device context or straight from a bitmap
// handle (CE accepts either as the source), with a transparent colour key.
BOOL WINAPI TransparentImage(HDC dest, int dx, int dy, int dw, int dh, HANDLE source, int sx, int sy, int sw,
                             int sh, COLORREF transparent);

#ifdef __cplusplus
}
#endif
