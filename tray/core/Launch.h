// Starting programs: the "Open Program" and "Open Applet" actions, the settings
// window's links and its Bluetooth button.
#pragma once
#include <windows.h>

// Starts a file with parameters and never shows error UI: it runs on the listener
// thread too, where a message box would throw away the driver's messages.
void LaunchProgram(const WCHAR* file, const WCHAR* parameters);
// The device's Bluetooth settings: the control-panel applet on a Pocket PC, the
// bonding tool elsewhere. Always 1.
int OpenBluetoothSettings();
