// The listener thread: the tray program's only connection to the USB host driver.
#pragma once
#include <windows.h>

// Connection state shown on the Status page; written only by the listener.
extern volatile BYTE g_mouseConnected;
extern volatile BYTE g_keyboardConnected;

// Set by the listener once its message queue exists, so that INTRCM is published
// only when the driver's posts can arrive.
extern HANDLE g_listenerReady;

DWORD WINAPI DriverListenThread(LPVOID);

// Handles one driver message; FALSE when the message is not a driver message and
// was dispatched instead.
BOOL HandleDriverMessage(const MSG& msg);
