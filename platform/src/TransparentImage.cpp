// TransparentImage: Windows CE accepts either a device context or a bitmap handle
// as the source; desktop GDI's TransparentBlt wants a device context, so a bitmap
// is selected into a temporary memory context for the blit.
#include "ce_device_api.h"
#include "ScopedWin.h"

extern "C" BOOL WINAPI TransparentImage(HDC dest, int dx, int dy, int dw, int dh, HANDLE source, int sx, int sy,
                                        int sw, int sh, COLORREF transparent)
{
    if (!dest || !source)
        return FALSE;
    DWORD type = GetObjectType((HGDIOBJ)source);
    if (type == OBJ_DC || type == OBJ_MEMDC)
        return TransparentBlt(dest, dx, dy, dw, dh, (HDC)source, sx, sy, sw, sh, transparent);
    if (type != OBJ_BITMAP)
        return FALSE;

    ScopedMemoryDC memory(dest);
    if (!memory)
        return FALSE;
    HGDIOBJ previous = SelectObject(memory, (HGDIOBJ)source);
    BOOL done = FALSE;
    if (previous && previous != HGDI_ERROR)
        done = TransparentBlt(dest, dx, dy, dw, dh, memory, sx, sy, sw, sh, transparent);
    if (previous && previous != HGDI_ERROR)
        SelectObject(memory, previous);
    return done;
}
