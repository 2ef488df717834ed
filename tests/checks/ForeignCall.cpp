// An object that calls a function no device exports (GetTickCount64, Vista's) beside
// one that every device has: the export check must name the first and only it.
#include <windows.h>

unsigned long long MillisecondsSinceStart() { return GetTickCount64() + GetTickCount(); }
