// Page painting and the pictures and icons the pages use.
#include "GUI.h"
#include "ScopedWin.h"
#include "ScreenMetrics.h"
#include "resource.h"

int GUI::LoadImages()
{
    programIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, DRAX(16), DRAY(16), 0);
    return 1;
}

// Double-buffered: the page is drawn off-screen and copied in one blit.
void GUI::Paint(HDC dc, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    int w = client.right, h = client.bottom;
    ScopedMemoryDC memory(dc);
    ScopedBitmap canvas(CreateCompatibleBitmap(dc, w, h));
    if (!memory || !canvas)
        return;
    ScopedSelect selected(memory, canvas);
    FillRect(memory, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
}
