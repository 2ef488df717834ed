// Force-included into the product's translation units on this build: gives desktop
// Win32 names the meaning they have on the Pocket PC. Not used with the real CE SDK.
#pragma once
#ifndef RC_INVOKED
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <wchar.h>
#include "ce_device_api.h"
#include "ce_device_input.h"
#include "ce_device_files.h"

#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegDeleteKey
#undef SystemParametersInfo
#define RegOpenKeyEx          CeRegOpenKeyExW
#define RegCreateKeyEx        CeRegCreateKeyExW
#define RegDeleteKey          CeRegDeleteKeyW
#define RegOpenKeyExW         CeRegOpenKeyExW
#define RegCreateKeyExW       CeRegCreateKeyExW
#define RegDeleteKeyW         CeRegDeleteKeyW
#define SystemParametersInfo  CeSystemParametersInfoW
#define GlobalMemoryStatus    CeGlobalMemoryStatus
#define SystemParametersInfoW CeSystemParametersInfoW

#undef CreateWindowEx
#undef CreateWindowExW
#undef SetForegroundWindow
#define CreateWindowEx      CeCreateWindowExW
#define CreateWindowExW     CeCreateWindowExW
#define SetForegroundWindow CeSetForegroundWindow

#define GetStockObject      CeGetStockObject

#undef Shell_NotifyIcon
#undef Shell_NotifyIconW
#define Shell_NotifyIcon    CeShellNotifyIconW
#define Shell_NotifyIconW   CeShellNotifyIconW

#undef _vsnwprintf
#undef _snwprintf
#undef vfwprintf
#undef fwprintf
#define _vsnwprintf CeVsnwprintf
#define _snwprintf  CeSnwprintf
#define vfwprintf   CeVfwprintf
#define fwprintf    CeFwprintf

// On the device WinMain receives the UTF-16 command line.
#define WinMain wWinMain

#ifndef SPI_GETPLATFORMTYPE
#define SPI_GETPLATFORMTYPE 257
#endif
#ifndef SPI_GETOEMINFO
#define SPI_GETOEMINFO 258
#endif
#endif
