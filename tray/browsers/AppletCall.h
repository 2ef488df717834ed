// Calls into an applet library, guarded: a library is another vendor's code, and
// one that faults must cost the picker that library, not the whole program.
#pragma once
#include <windows.h>
#include <cpl.h>

// Calls `entry`. The library's own exception handlers come first, as on the device:
// only an exception it leaves unhandled counts as its fault. False, with *result 0
// and the exception's code in *exceptionCode, when the library faulted inside the
// call. A library that faulted is in an unknown state: it must not be called again
// nor released (its own clean-up could fault as well).
bool CallApplet(APPLET_PROC entry, HWND window, UINT message, LPARAM first, LPARAM second, LONG* result,
                DWORD* exceptionCode);
