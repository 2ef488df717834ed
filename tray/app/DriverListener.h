// The listener thread: the tray program's only connection to the USB host driver.
#pragma once
#include <windows.h>
#include "core/SharedWord.h"
#include "input/Pointer.h"

// Set by the listener once its message queue exists, so that INTRCM is published
// only when the driver's posts can arrive.
extern HANDLE g_listenerReady;

DWORD WINAPI DriverListenThread(LPVOID);
extern SharedFlag g_listenerReturned;     // raised by the listener as its routine returns
extern PointerState g_pointer;           // the listener's own


// Handles one message of the listener's queue; false when it was dropped: not one
// of the listener's messages, or a report of an input that is switched off.
bool HandleDriverMessage(const MSG& msg);

// Releases the buttons and keys held through an input that is switched off.
void ReleaseDisabledInput();
