// The software cursor, painted straight onto the screen. The pixels it covers are
// saved first and put back when it moves, unless the two probe pixels show that
// something has repainted beneath it meanwhile: then the stale copy is thrown away.
#include "Cursor.h"
#include "CursorImage.h"
#include "ScopedWin.h"
#include "ScreenMetrics.h"
#include "Settings.h"

CursorState g_cursor;

enum { TRANSPARENT_COLOUR = RGB(255, 0, 255), CURSOR_SHAPES = 10, PROBE_INSET = 3 };

// The strip's left edge of the chosen shape; a setting outside the strip shows the first.
static int ShapeLeft(HBITMAP strip, int cellWidth)
{
    int shape = AppSettings().Cursor;
    BITMAP info = {};
    int shapes = CURSOR_SHAPES;
    if (GetObjectW(strip, sizeof info, &info) == sizeof info && cellWidth > 0 && info.bmWidth / cellWidth < shapes)
        shapes = info.bmWidth / cellWidth;
    if (shape < 0 || shape >= shapes)
        shape = 0;
    return shape * cellWidth;
}

static void TakeAway(CursorState& state, int w, int h)
{
    COLORREF a = GetPixel(state.screenDC, state.lastX + w - PROBE_INSET, state.lastY + PROBE_INSET);
    COLORREF b = GetPixel(state.screenDC, state.lastX + PROBE_INSET, state.lastY + h - PROBE_INSET);
    if (a == state.probe1 && b == state.probe2)
        BitBlt(state.screenDC, state.lastX, state.lastY, w, h, state.saveDC, 0, 0, SRCCOPY);
    SelectObject(state.saveDC, state.saveDCPrevious);
    DeleteDC(state.saveDC);
    DeleteObject(state.saveBitmap);
    state.saveDC = nullptr;
    state.saveBitmap = nullptr;
    state.saveDCPrevious = nullptr;
}

static COLORREF SavedPixel(const CursorState& state, int cellX, int cellY)
{
    int x = state.x + cellX, y = state.y + cellY;
    if (x < 0 || y < 0 || x >= g_screen.width || y >= g_screen.height)
        return CLR_INVALID;
    return GetPixel(state.saveDC, cellX, cellY);
}

static void SaveUnder(CursorState& state, int w, int h)
{
    state.saveBitmap = CreateCompatibleBitmap(state.screenDC, w, h);
    if (!state.saveBitmap)
        return; // drawn without a save-under; the window beneath repaints it away
    state.saveDC = CreateCompatibleDC(state.screenDC);
    if (!state.saveDC) {
        DeleteObject(state.saveBitmap);
        state.saveBitmap = nullptr;
        return;
    }
    state.saveDCPrevious = SelectObject(state.saveDC, state.saveBitmap);
    BitBlt(state.saveDC, 0, 0, w, h, state.screenDC, state.x, state.y, SRCCOPY);
    // Sampled before the cursor is painted, so they hold the background. They are
    // read from the copy just taken rather than from the screen again (each screen
    // read is a round trip to the display); a point off the screen reads as the
    // screen itself would answer.
    state.probe1 = SavedPixel(state, w - PROBE_INSET, PROBE_INSET);
    state.probe2 = SavedPixel(state, PROBE_INSET, h - PROBE_INSET);
}

static void Paint(CursorState& state, int w, int h)
{
    if (!state.cursorImage)
        state.cursorImage = CreateBuiltInCursor(w, h);
    if (!state.cursorImage)
        return;
    ScopedMemoryDC imageDC(state.screenDC);
    if (!imageDC)
        return;
    ScopedSelect image(imageDC, state.cursorImage);
    TransparentImage(state.screenDC, state.x, state.y, w, h, imageDC, ShapeLeft(state.cursorImage, w), 0, w, h,
                     TRANSPARENT_COLOUR);
}

void DrawCursor(CursorState& state, int show)
{
    if (show && state.lastX == state.x && state.lastY == state.y)
        return; // already where it belongs

    ScopedGetDC screen(nullptr);
    state.screenDC = screen;
    int w = DRAX(10), h = DRAY(20);
    if (state.saveDC)
        TakeAway(state, w, h);
    if (show) {
        SaveUnder(state, w, h);
        Paint(state, w, h);
    }
    state.lastX = state.x;
    state.lastY = state.y;
    state.screenDC = nullptr;
}
