// Loading the cursor strip at start-up, with a built-in arrow when the file is
// missing or unusable, so that the pointer is always visible.
#include "input/CursorImage.h"
#include <aygshell.h>
#include "ScopedWin.h"
#include "core/AppState.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"

HBITMAP CreateBuiltInCursor(int cellWidth, int cellHeight)
{
    ScopedGetDC screen(nullptr);
    ScopedMemoryDC dc(screen);
    ScopedBitmap strip(CreateCompatibleBitmap(screen, cellWidth, cellHeight));
    if (!dc || !strip)
        return nullptr;
    ScopedSelect bitmap(dc, strip);
    RECT cell = {0, 0, cellWidth, cellHeight};
    ScopedBrush transparent(CreateSolidBrush(RGB(255, 0, 255)));
    FillRect(dc, &cell, transparent);

    // A 10 x 20 design scaled to the cell; it keeps clear of the probe pixels at
    // (w - 3, 3) and (3, h - 3), which must show the screen beneath.
    static const POINT kArrow[] = {{0, 0}, {0, 14}, {3, 11}, {5, 16}, {7, 15}, {5, 10}, {9, 10}};
    POINT arrow[ARRAYSIZE(kArrow)];
    for (size_t i = 0; i < ARRAYSIZE(kArrow); ++i) {
        arrow[i].x = kArrow[i].x * cellWidth / 10;
        arrow[i].y = kArrow[i].y * cellHeight / 20;
    }
    ScopedSelect pen(dc, GetStockObject(BLACK_PEN));
    ScopedSelect brush(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, arrow, (int)ARRAYSIZE(arrow));
    return strip.Release();
}

// A strip must hold at least one whole cell; a smaller picture would show whatever
// lies outside it (black) as the cursor.
static bool HoldsOneCell(HBITMAP strip, int cellWidth, int cellHeight)
{
    BITMAP info = {};
    return GetObjectW(strip, sizeof info, &info) == sizeof info && info.bmWidth >= cellWidth &&
           info.bmHeight >= cellHeight;
}

void LoadCursorImage(CursorState& state)
{
    int cellWidth = DRAX(10), cellHeight = DRAY(20);
    WCHAR name[TEXT_CHARS];
    FormatText(name, ARRAYSIZE(name), L"cursors_f%d.jpg", DRAX(1));
    const WCHAR* path = GetInstallFilePath(L"images", name);
    ScopedBitmap strip(path[0] ? SHLoadImageFile(path) : nullptr);
    if (strip && !HoldsOneCell(strip, cellWidth, cellHeight))
        strip.Reset();
    if (!strip)
        strip.Reset(CreateBuiltInCursor(cellWidth, cellHeight));
    state.cursorImage = Moved(strip);
}

void FreeCursorImage(CursorState& state)
{
    state.cursorImage.Reset();
}
