// GetStockObject with the device's system font: on a high-resolution screen the
// device draws its default GUI font twice as tall for a program marked
// high-resolution aware, as every other piece of its text is.
#include "ce_device_api.h"

HGDIOBJ WINAPI CeGetStockObject(int object)
{
    HGDIOBJ stock = GetStockObject(object);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (object != DEFAULT_GUI_FONT || (w < h ? w : h) < 480)
        return stock;
    // Made once and kept for the process, as a stock object is never deleted.
    static HFONT s_doubled = [] {
        LOGFONTW font = {};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight *= 2;
        font.lfWidth *= 2;
        return CreateFontIndirectW(&font);
    }();
    return s_doubled ? (HGDIOBJ)s_doubled : stock;
}
