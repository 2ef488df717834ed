// Process-wide state of the tray program: one instance each, for the process's life.
#pragma once
#include <windows.h>
#include "ScopedWin.h"
#include "core/SharedWord.h"

enum { TEXT_CHARS = 260 }; // path and text buffers, terminator included

extern HINSTANCE g_instance;          // stored first thing by WinMain
extern SharedFlag g_terminate;        // raised once by termination, first of all; polled by the workers
extern HANDLE g_closeEvent;           // wakes PowerNotificationThread at termination; never closed
extern ScopedHandle g_listenerThread; // DriverListenThread, published as INTRCM
extern DWORD g_listenerThreadId;
extern ScopedHandle g_powerThread;    // PowerNotificationThread
extern ScopedHandle g_cursorThread;   // CursorThread; these three are closed once stopped

// Connection state shown on the Status page; written only by the listener.
extern SharedFlag g_mouseConnected;
extern SharedFlag g_keyboardConnected;

// About texts, read once at start-up; empty when absent.
extern WCHAR g_aboutWebName[TEXT_CHARS];
extern WCHAR g_aboutWebLink[TEXT_CHARS];
extern WCHAR g_versionGUI[TEXT_CHARS];
extern WCHAR g_versionDriver[TEXT_CHARS];
extern WCHAR g_description[TEXT_CHARS];

// Bounded copy into a fixed buffer: always terminated, never overrun.
// Returns false when the text had to be cut.
bool CopyText(WCHAR* dest, size_t destChars, const WCHAR* src);
// Bounded formatted text; always terminated. Returns false when the text was cut.
bool FormatText(WCHAR* dest, size_t destChars, const WCHAR* format, ...);
