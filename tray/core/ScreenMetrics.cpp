#include "core/ScreenMetrics.h"
#include "ScopedWin.h"
#include "core/DebugLog.h"

ScreenMetrics g_screen;

int DRAX(int n) { return n * g_screen.ScaleX; }
int DRAY(int n) { return n * g_screen.ScaleY; }

// 1 for a side of 240, 320 or 400 pixels, 2 for 480, 640 or 800; 0 for any other.
static int ScaleForSide(int pixels)
{
    switch (pixels) {
    case 240: case 320: case 400: return 1;
    case 480: case 640: case 800: return 2;
    default: return 0;
    }
}

void ComputeSize()
{
    {
        ScopedGetDC screen(nullptr);
        g_screen.width = GetDeviceCaps(screen, HORZRES);
        g_screen.height = GetDeviceCaps(screen, VERTRES);
    }

    // A size outside the known ones keeps the factor it had. At start-up there is
    // none yet: the factor then follows the side's length, so it is never zero.
    int sx = ScaleForSide(g_screen.width), sy = ScaleForSide(g_screen.height);
    if (sx) g_screen.ScaleX = sx;
    else if (!g_screen.ScaleX) g_screen.ScaleX = g_screen.width >= 480 ? 2 : 1;
    if (sy) g_screen.ScaleY = sy;
    else if (!g_screen.ScaleY) g_screen.ScaleY = g_screen.height >= 480 ? 2 : 1;

    g_screen.MH = 0;
    if (HWND topBar = FindWindowW(L"HHTaskBar", L"")) {
        RECT client;
        if (GetClientRect(topBar, &client))
            g_screen.MH = client.bottom - client.top;
    }
    if (g_screen.MH < 10)
        g_screen.MH = 26 * g_screen.ScaleY;

    DebugLog(L"ComputeSize::Screen size: %dx%d Menu: %d", g_screen.width, g_screen.height, g_screen.MH);
}
