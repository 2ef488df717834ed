// Counting a process's GDI objects where GetGuiResources gives 0 (Wine).
#include "DeviceKit.h"

unsigned NextGdiSlot()
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    unsigned slot = LOWORD((ULONG_PTR)brush);
    DeleteObject(brush);
    return slot;
}
