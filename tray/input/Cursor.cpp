// The software cursor, painted straight onto the screen. The pixels it covers are
// saved first and put back when it moves, unless the two probe pixels show that
// something has repainted beneath it meanwhile: then the stale copy is thrown away.
#include "input/Cursor.h"
#include "ScopedWin.h"
#include "core/ScreenMetrics.h"
#include "core/Settings.h"
#include "input/CursorImage.h"

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

// The memory where a screen area is composed: made once, at the largest size an
// area takes (two cells each way), and kept, so that a report makes no GDI objects.
// Only the listener draws the cursor.
struct AreaCanvas {
    ScopedBitmap bitmap; // declared first: the DC holding it goes before it
    ScopedMemoryDC dc;
    HGDIOBJ previous;
    int width, height;
};
static AreaCanvas s_canvas;

static bool CanvasFor(HDC screen, int width, int height)
{
    if (s_canvas.dc && s_canvas.width >= width && s_canvas.height >= height)
        return true;
    if (s_canvas.dc) {
        SelectObject(s_canvas.dc, s_canvas.previous);
        s_canvas.dc.Reset();
        s_canvas.bitmap.Reset();
        s_canvas.previous = nullptr;
        s_canvas.width = s_canvas.height = 0;
    }
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    if (!bitmap || !s_canvas.dc.Create(screen))
        return false;
    s_canvas.bitmap = Moved(bitmap);
    s_canvas.previous = SelectObject(s_canvas.dc, s_canvas.bitmap);
    s_canvas.width = width;
    s_canvas.height = height;
    return true;
}

// A copy of a screen area in memory. The cursor's changes are composed in it and the
// area goes back to the screen in one blit: every screen read or write is a round
// trip to the display, which costs more than all the rest of a mouse report.
class ScreenArea {
public:
    ScreenArea(HDC screen, const RECT& area, int cellWidth, int cellHeight) : screen_(screen), area_(area)
    {
        ok_ = CanvasFor(screen, 2 * cellWidth, 2 * cellHeight) && Width() <= s_canvas.width &&
              Height() <= s_canvas.height;
        if (ok_)
            BitBlt(s_canvas.dc, 0, 0, Width(), Height(), screen_, area_.left, area_.top, SRCCOPY);
    }
    bool Ok() const { return ok_; }
    HDC Dc() const { return s_canvas.dc; }
    int X(int screenX) const { return screenX - area_.left; }
    int Y(int screenY) const { return screenY - area_.top; }
    // The screen pixel as it was read; off the screen, what the screen itself answers.
    COLORREF Pixel(int screenX, int screenY) const
    {
        if (screenX < 0 || screenY < 0 || screenX >= g_screen.width || screenY >= g_screen.height)
            return CLR_INVALID;
        return GetPixel(s_canvas.dc, X(screenX), Y(screenY));
    }
    void WriteBack() const { BitBlt(screen_, area_.left, area_.top, Width(), Height(), s_canvas.dc, 0, 0, SRCCOPY); }

private:
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }
    HDC screen_;
    RECT area_;
    bool ok_;
};

static void FreeSaveUnder(CursorState& state)
{
    SelectObject(state.saveDC, state.saveDCPrevious);
    state.saveDC.Reset();
    state.saveBitmap.Reset();
    state.saveDCPrevious = nullptr;
}

// Puts the saved pixels back into the copy, unless the probes show that something
// has repainted beneath the cursor since they were saved. Frees the save-under.
static bool TakeAway(CursorState& state, const ScreenArea& area, int w, int h)
{
    COLORREF a = area.Pixel(state.lastX + w - PROBE_INSET, state.lastY + PROBE_INSET);
    COLORREF b = area.Pixel(state.lastX + PROBE_INSET, state.lastY + h - PROBE_INSET);
    bool restore = a == state.probe1 && b == state.probe2;
    if (restore)
        BitBlt(area.Dc(), area.X(state.lastX), area.Y(state.lastY), w, h, state.saveDC, 0, 0, SRCCOPY);
    FreeSaveUnder(state);
    return restore;
}

static COLORREF SavedPixel(const CursorState& state, int cellX, int cellY)
{
    int x = state.x + cellX, y = state.y + cellY;
    if (x < 0 || y < 0 || x >= g_screen.width || y >= g_screen.height)
        return CLR_INVALID;
    return GetPixel(state.saveDC, cellX, cellY);
}

// Saves the copy's pixels under the new cell, with the probes, before anything is
// painted there.
static void SaveUnder(CursorState& state, const ScreenArea& area, int w, int h)
{
    state.saveBitmap.Reset(CreateCompatibleBitmap(state.screenDC, w, h));
    if (!state.saveBitmap)
        return; // drawn without a save-under; the window beneath repaints it away
    if (!state.saveDC.Create(state.screenDC)) {
        state.saveBitmap.Reset();
        return;
    }
    state.saveDCPrevious = SelectObject(state.saveDC, state.saveBitmap);
    BitBlt(state.saveDC, 0, 0, w, h, area.Dc(), area.X(state.x), area.Y(state.y), SRCCOPY);
    state.probe1 = SavedPixel(state, w - PROBE_INSET, PROBE_INSET);
    state.probe2 = SavedPixel(state, PROBE_INSET, h - PROBE_INSET);
}

static void Paint(CursorState& state, const ScreenArea& area, int w, int h)
{
    if (!state.cursorImage)
        state.cursorImage.Reset(CreateBuiltInCursor(w, h));
    if (!state.cursorImage)
        return;
    ScopedMemoryDC imageDC(state.screenDC);
    if (!imageDC)
        return;
    ScopedSelect image(imageDC, state.cursorImage);
    TransparentImage(area.Dc(), area.X(state.x), area.Y(state.y), w, h, imageDC, ShapeLeft(state.cursorImage, w), 0,
                     w, h, TRANSPARENT_COLOUR);
}

static RECT Cell(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

void DrawCursor(CursorState& state, int show)
{
    if (show && state.lastX == state.x && state.lastY == state.y)
        return; // already where it belongs

    // The whole screen's context is taken once and kept by the listener: taking and
    // releasing it for every report costs server round trips.
    if (!state.screenDC)
        state.screenDC = GetDC(nullptr);
    HDC screen = state.screenDC;
    if (!screen)
        return;
    int w = DRAX(10), h = DRAY(20);
    RECT oldCell = Cell(state.lastX, state.lastY, w, h), newCell = Cell(state.x, state.y, w, h), both;
    UnionRect(&both, &oldCell, &newCell);
    bool smallStep = both.right - both.left <= 2 * w && both.bottom - both.top <= 2 * h;

    if (show && state.saveDC && smallStep) {
        // The usual small step: one read and one write of the area both cells cover.
        ScreenArea area(screen, both, w, h);
        if (area.Ok()) {
            TakeAway(state, area, w, h);
            SaveUnder(state, area, w, h);
            Paint(state, area, w, h);
            area.WriteBack();
        } else {
            FreeSaveUnder(state);
        }
    } else {
        if (state.saveDC) {
            ScreenArea area(screen, oldCell, w, h);
            if (area.Ok() && TakeAway(state, area, w, h))
                area.WriteBack();
            else if (state.saveDC)
                FreeSaveUnder(state);
        }
        if (show) {
            ScreenArea area(screen, newCell, w, h);
            if (area.Ok()) {
                SaveUnder(state, area, w, h);
                Paint(state, area, w, h);
                area.WriteBack();
            }
        }
    }
    state.lastX = state.x;
    state.lastY = state.y;
    state.drawnTick = GetTickCount();
    state.drawDue = 0;
}

void FollowPointer(CursorState& state)
{
    if (GetTickCount() - state.drawnTick >= CURSOR_FRAME_MS)
        DrawCursor(state, 1);
    else
        state.drawDue = 1;
}

DWORD CursorDueIn(const CursorState& state)
{
    if (!state.drawDue)
        return INFINITE;
    DWORD since = GetTickCount() - state.drawnTick;
    return since >= CURSOR_FRAME_MS ? 0 : CURSOR_FRAME_MS - since;
}

void DrawDueCursor(CursorState& state)
{
    if (state.drawDue)
        DrawCursor(state, state.connected);
}
