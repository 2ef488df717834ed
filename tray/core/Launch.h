// Starting programs: the "Open Program" and "Open Applet" actions, the settings
// window's links and its Bluetooth button.
#pragma once
#include <windows.h>

// Starts a file with parameters, on a thread of its own and without error UI: it is
// called on the listener thread too, where any message loop would throw away the
// driver's messages. Returns once the launch is under way.
void LaunchProgram(const WCHAR* file, const WCHAR* parameters);
// The device's Bluetooth settings: the control-panel applet on a Pocket PC, the
// bonding tool elsewhere. Always 1.
int OpenBluetoothSettings();
