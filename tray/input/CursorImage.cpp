// Loading the cursor strip at start-up, with a built-in arrow when the file is
// missing or unreadable, so that the pointer is always visible.
#include "Cursor.h"
#include <aygshell.h>
#include "AppState.h"
#include "CursorImage.h"
#include "InstallPath.h"
#include "ScreenMetrics.h"

HBITMAP CreateBuiltInCursor(int cellWidth, int cellHeight)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, cellWidth, cellHeight);
    ReleaseDC(nullptr, screen);
    if (!dc || !strip) {
        if (dc)
            DeleteDC(dc);
        if (strip)
            DeleteObject(strip);
        return nullptr;
    }
    HGDIOBJ previousBitmap = SelectObject(dc, strip);
    RECT cell = {0, 0, cellWidth, cellHeight};
    HBRUSH transparent = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &cell, transparent);
    DeleteObject(transparent);

    // A 10 x 20 design scaled to the cell; it keeps clear of the probe pixels at
    // (w - 3, 3) and (3, h - 3), which must show the screen beneath.
    static const POINT kArrow[] = {{0, 0}, {0, 14}, {3, 11}, {5, 16}, {7, 15}, {5, 10}, {9, 10}};
    enum { ARROW_POINTS = sizeof kArrow / sizeof kArrow[0] };
    POINT arrow[ARROW_POINTS];
    for (int i = 0; i < ARROW_POINTS; ++i) {
        arrow[i].x = kArrow[i].x * cellWidth / 10;
        arrow[i].y = kArrow[i].y * cellHeight / 20;
    }
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, arrow, ARROW_POINTS);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBitmap);
    DeleteDC(dc);
    return strip;
}

void LoadCursorImage(CursorState& state)
{
    WCHAR name[TEXT_CHARS];
    FormatText(name, TEXT_CHARS, L"cursors_f%d.jpg", DRAX(1));
    const WCHAR* path = GetInstallFilePath(L"images", name);
    HBITMAP strip = path[0] ? SHLoadImageFile(path) : nullptr;
    if (!strip)
        strip = CreateBuiltInCursor(DRAX(10), DRAY(20));
    if (state.cursorImage)
        DeleteObject(state.cursorImage);
    state.cursorImage = strip;
}

void FreeCursorImage(CursorState& state)
{
    if (state.cursorImage)
        DeleteObject(state.cursorImage);
    state.cursorImage = nullptr;
}
