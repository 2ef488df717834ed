// DoAction: what one of the five mouse inputs does, by the action it is bound to.
#pragma once
#include <windows.h>

// Pointer actions add flags or a sequence code to the report's event; device
// actions run at once.
void DoAction(int button, DWORD& flags, DWORD& sequence);
