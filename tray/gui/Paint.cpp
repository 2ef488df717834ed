// Page painting and the pictures and icons the pages use.
#include "GUI.h"
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
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP canvas = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ previous = SelectObject(memory, canvas);
    FillRect(memory, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(canvas);
    DeleteDC(memory);
}
