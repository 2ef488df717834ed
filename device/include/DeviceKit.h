// Shared by the emulated device's programs and the tests: the device's state and
// the installer step.
#pragma once
#include <windows.h>

// Registry key of the program, as desktop Win32 spells it.
#define APP_KEY L"Software\\Morvane\\Vantorix"
