// The thread-message protocol between the USB host driver and the tray program.
// The driver reads the listener's thread identifier from the registry value INTRCM
// and posts these messages to it (PostThreadMessage, no window). Only wParam and
// lParam carry data. Shared by the tray program and the driver simulator.
#pragma once
#include <windows.h>

// The value of the program's key (see InstallContract.h) that holds the listener's
// thread identifier, REG_DWORD; written at every start and left when the program
// ends, so a post to it may find no thread: the driver reads it again later.
constexpr WCHAR kListenerThreadValue[] = L"INTRCM";

enum DriverMessage : UINT {
    TM_MOUSEREPORT = 40001, // wParam: wheel | dx << 16 | dy << 24 (signed bytes); lParam: button flags
    TM_KBREPORT    = 40002, // wParam: vk << 16 | scan << 24;  lParam: keybd_event flags
    TM_KBSTATUS    = 40003, // wParam: 1 attached, anything else detached
    TM_MOUSESTATUS = 40004, // wParam: 1 attached, 0 detached, anything else not attached
    TM_BLUETOOTH   = 40005, // wParam: status number, only logged
};

// The driver's words are 32 bits wide on the device. A wider message parameter is
// cut to its low 32 bits before anything reads, compares or logs it.
inline DWORD DriverWord(WPARAM w) { return (DWORD)w; }
inline DWORD DriverWord(LPARAM l) { return (DWORD)l; }

// TM_MOUSESTATUS and TM_KBSTATUS: only 1 means attached.
inline bool StatusAttached(WPARAM w) { return DriverWord(w) == 1; }
inline bool StatusDetached(WPARAM w) { return DriverWord(w) == 0; }

// Packs a mouse report word. Each field is a two's-complement byte.
inline WPARAM PackMouseReport(int wheel, int dx, int dy)
{
    return (WPARAM)(((DWORD)(BYTE)wheel) | ((DWORD)(BYTE)dx << 16) | ((DWORD)(BYTE)dy << 24));
}

inline int MouseReportWheel(DWORD w) { return (signed char)(BYTE)(w & 0xFF); }
inline int MouseReportDx(DWORD w)    { return (signed char)(BYTE)((w >> 16) & 0xFF); }
inline int MouseReportDy(DWORD w)    { return (signed char)(BYTE)((w >> 24) & 0xFF); }

// Packs a keyboard report word.
inline WPARAM PackKeyReport(BYTE virtualKey, BYTE scanCode)
{
    return (WPARAM)(((DWORD)virtualKey << 16) | ((DWORD)scanCode << 24));
}

inline BYTE KeyReportVirtualKey(DWORD w) { return (BYTE)((w >> 16) & 0xFF); }
inline BYTE KeyReportScanCode(DWORD w)   { return (BYTE)((w >> 24) & 0xFF); }
