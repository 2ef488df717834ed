// The tray program's diagnostic channel: one time-stamped line per call, appended to
// "\ui.tray.dbg", only while the debug switch (registry value EnableDebug) is on.
#pragma once
#include <windows.h>

enum { DEBUG_MESSAGE_CHARS = 10240, LOG_STAMP_CHARS = 96 };

extern DWORD g_debugEnabled; // read once at start-up, before the first line

void DebugLog(const WCHAR* format, ...);

// The line's prefix: "%2d:%2d:%2d@%3.3f/%3.3f: " with the time and the two memory figures.
void FormatLogStamp(WCHAR* stamp, const SYSTEMTIME& time, DWORD freeBytes, DWORD baselineBytes);
