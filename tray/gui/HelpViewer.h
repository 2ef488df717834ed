// The Help page: the device's HTML viewer showing the installed help file.
#pragma once
#include <windows.h>

// Readies the viewer's window class, once, at start-up: the viewer library finds
// its cursor through the system's loader, which another vendor's library may hold
// later.
void InitHelpViewer(HINSTANCE instance);
// Creates the viewer as a child of the settings window (size 0 x 0, placed by
// ResizeControls) and loads "help\help.html" below the install path into it.
// Null when the viewer cannot be created; the page then stays empty.
HWND CreateHelpViewer(HWND parent, HINSTANCE instance);
