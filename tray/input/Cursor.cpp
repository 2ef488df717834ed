// The software cursor, painted straight onto the screen. The pixels it covers are
// saved first and put back when it moves, unless the two probe pixels show that
// something has repainted beneath it meanwhile: then the stale copy is thrown away.
#include "input/Cursor.h"
#include <limits.h>
#include "core/ScreenMetrics.h"
#include "core/Settings.h"
#include "core/SettingsTables.h"
#include "input/CursorImage.h"

enum { TRANSPARENT_COLOUR = RGB(255, 0, 255), PROBE_INSET = 3 };

// The strip's left edge of the chosen shape; a setting outside the strip shows the first.
static int ShapeLeft(HBITMAP strip, int cellWidth)
{
    int shape = AppSettings().Cursor;
    BITMAP info = {};
    int shapes = CURSOR_SHAPE_COUNT;
    if (GetObjectW(strip, sizeof info, &info) == sizeof info && cellWidth > 0 && info.bmWidth / cellWidth < shapes)
        shapes = info.bmWidth / cellWidth;
    if (shape < 0 || shape >= shapes)
        shape = 0;
    return shape * cellWidth;
}

static RECT Cell(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

static void FreeSurface(MemorySurface& surface)
{
    if (surface.dc)
        SelectObject(surface.dc, surface.previous);
    surface.dc.Reset();
    surface.bitmap.Reset();
    surface.previous = nullptr;
    surface.width = surface.height = 0;
}

// A surface of the given size compatible with the screen; false when GDI has no room.
static bool MakeSurface(MemorySurface& surface, HDC screen, int width, int height)
{
    FreeSurface(surface);
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    if (!bitmap || !surface.dc.Create(screen))
        return false;
    surface.bitmap = Moved(bitmap);
    surface.previous = SelectObject(surface.dc, surface.bitmap);
    surface.width = width;
    surface.height = height;
    return true;
}

// The canvas is made at the largest size an area takes (two cells each way) and kept,
// so that a drawing makes no GDI objects but the save-under.
static bool CanvasFor(CursorState& state, int width, int height)
{
    const MemorySurface& canvas = state.canvas;
    return (canvas.dc && canvas.width >= width && canvas.height >= height) ||
           MakeSurface(state.canvas, state.screen, width, height);
}

// A copy of a screen area in the canvas. The cursor's changes are composed in it and
// the area goes back to the screen in one blit: every screen read or write is a
// round trip to the display. The area lies on the screen: a read reaching beyond it
// may fail as a whole, and a write beyond it would put back what was never read.
class ScreenArea {
public:
    ScreenArea(CursorState& state, const RECT& area) : state_(state), area_(area)
    {
        ok_ = CanvasFor(state, 2 * state.cellWidth, 2 * state.cellHeight) && Width() <= state.canvas.width &&
              Height() <= state.canvas.height;
        if (ok_)
            ok_ = BitBlt(Dc(), 0, 0, Width(), Height(), state_.screen, area_.left, area_.top, SRCCOPY) != FALSE;
    }
    bool Ok() const { return ok_; }
    HDC Dc() const { return state_.canvas.dc; }
    int X(int screenX) const { return screenX - area_.left; }
    int Y(int screenY) const { return screenY - area_.top; }
    // The screen pixel as it was read; CLR_INVALID off the screen, as the screen answers.
    COLORREF Pixel(int screenX, int screenY) const
    {
        POINT at = {screenX, screenY};
        if (!PtInRect(&area_, at))
            return CLR_INVALID;
        return GetPixel(Dc(), X(screenX), Y(screenY));
    }
    void WriteBack() const
    {
        BitBlt(state_.screen, area_.left, area_.top, Width(), Height(), Dc(), 0, 0, SRCCOPY);
        state_.unshown = true;
    }

private:
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }
    CursorState& state_;
    RECT area_;
    bool ok_;
};

// The part of `area` on the screen; false when none of it is.
static bool OnScreen(const CursorState& state, const RECT& area, RECT* visible)
{
    RECT screen = {0, 0, state.screenWidth, state.screenHeight};
    return IntersectRect(visible, &area, &screen) != FALSE;
}

// Puts the saved pixels back into the copy, unless the probes show that something
// has repainted beneath the cursor since they were saved. Frees the save-under.
static bool TakeAway(CursorState& state, const ScreenArea& area)
{
    int w = state.cellWidth, h = state.cellHeight;
    COLORREF a = area.Pixel(state.lastX + w - PROBE_INSET, state.lastY + PROBE_INSET);
    COLORREF b = area.Pixel(state.lastX + PROBE_INSET, state.lastY + h - PROBE_INSET);
    bool restore = a == state.probe1 && b == state.probe2;
    if (restore)
        BitBlt(area.Dc(), area.X(state.lastX), area.Y(state.lastY), w, h, state.saved.dc, 0, 0, SRCCOPY);
    FreeSurface(state.saved);
    state.onScreen = false;
    return restore;
}

// Saves the copy's pixels under the new cell, with the probes, before anything is
// painted there. The part of the cell off the screen holds nothing of the screen and
// never goes back to it.
static void SaveUnder(CursorState& state, const ScreenArea& area)
{
    int w = state.cellWidth, h = state.cellHeight;
    if (!MakeSurface(state.saved, state.screen, w, h))
        return; // drawn without a save-under; the window beneath repaints it away
    BitBlt(state.saved.dc, 0, 0, w, h, area.Dc(), area.X(state.x), area.Y(state.y), SRCCOPY);
    state.probe1 = area.Pixel(state.x + w - PROBE_INSET, state.y + PROBE_INSET);
    state.probe2 = area.Pixel(state.x + PROBE_INSET, state.y + h - PROBE_INSET);
}

static void Paint(CursorState& state, const ScreenArea& area)
{
    int w = state.cellWidth, h = state.cellHeight;
    if (!state.cursorImage)
        state.cursorImage.Reset(CreateBuiltInCursor(w, h));
    if (!state.cursorImage)
        return;
    ScopedMemoryDC imageDC(state.screen);
    if (!imageDC)
        return;
    ScopedSelect image(imageDC, state.cursorImage);
    TransparentImage(area.Dc(), area.X(state.x), area.Y(state.y), w, h, imageDC, ShapeLeft(state.cursorImage, w), 0,
                     w, h, TRANSPARENT_COLOUR);
    state.onScreen = true;
}

// The screen changed size (a rotation) since the last drawing: the context, the
// save-under and the canvas belong to the old one. The windows have been laid out
// anew, so the saved pixels would be wrong wherever they went; instead, whatever
// window lies where the cursor was drawn is asked to repaint that cell, and the
// cursor is drawn afresh at its place on the new screen.
static void LeaveOldScreen(CursorState& state, int screenWidth, int screenHeight, int cellWidth, int cellHeight)
{
    if (state.onScreen) {
        RECT cell = Cell(state.lastX, state.lastY, state.cellWidth, state.cellHeight);
        RedrawWindow(nullptr, &cell, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        state.onScreen = false;
        state.lastX = state.lastY = INT_MIN; // no position: the next drawing shows the cursor again
    }
    FreeSurface(state.saved);
    FreeSurface(state.canvas);
    state.screen.Reset();
    state.screenWidth = screenWidth;
    state.screenHeight = screenHeight;
    state.cellWidth = cellWidth;
    state.cellHeight = cellHeight;
}

// The old cell's pixels put back and the new cell's saved and painted, in one read
// and one write of the area both cover; false when the two lie too far apart.
static bool MoveWithinOneArea(CursorState& state)
{
    RECT oldCell = Cell(state.lastX, state.lastY, state.cellWidth, state.cellHeight);
    RECT newCell = Cell(state.x, state.y, state.cellWidth, state.cellHeight), both, visible;
    UnionRect(&both, &oldCell, &newCell);
    if (both.right - both.left > 2 * state.cellWidth || both.bottom - both.top > 2 * state.cellHeight)
        return false;
    if (OnScreen(state, both, &visible)) {
        ScreenArea area(state, visible);
        if (area.Ok()) {
            TakeAway(state, area);
            SaveUnder(state, area);
            Paint(state, area);
            area.WriteBack();
            return true;
        }
    }
    FreeSurface(state.saved); // nothing of it can go back
    state.onScreen = false;
    return true;
}

static void TakeAwayAlone(CursorState& state)
{
    RECT visible;
    if (OnScreen(state, Cell(state.lastX, state.lastY, state.cellWidth, state.cellHeight), &visible)) {
        ScreenArea area(state, visible);
        if (area.Ok() && TakeAway(state, area))
            area.WriteBack();
    }
    FreeSurface(state.saved);
    state.onScreen = false;
}

static void DrawAlone(CursorState& state)
{
    RECT visible;
    if (!OnScreen(state, Cell(state.x, state.y, state.cellWidth, state.cellHeight), &visible))
        return; // pushed off the screen: nothing shows
    ScreenArea area(state, visible);
    if (!area.Ok())
        return;
    SaveUnder(state, area);
    Paint(state, area);
    area.WriteBack();
}

void DrawCursor(CursorState& state, int show)
{
    // The screen as the settings window last measured it (at start-up and at every
    // display change, which it then tells the cursor's thread of): the size the
    // listener holds the pointer to. Asking the system at every drawing costs server
    // round trips under Wine.
    int screenWidth = g_screen.width, screenHeight = g_screen.height;
    int cellWidth = DRAX(10), cellHeight = DRAY(20);
    if (screenWidth != state.screenWidth || screenHeight != state.screenHeight || cellWidth != state.cellWidth ||
        cellHeight != state.cellHeight)
        LeaveOldScreen(state, screenWidth, screenHeight, cellWidth, cellHeight);

    if (show && state.lastX == state.x && state.lastY == state.y)
        return; // already where it belongs
    // The whole screen's context is kept while the screen stays the same: taking and
    // releasing it for every drawing costs round trips to the display.
    if (!state.screen && !state.screen.Acquire(nullptr))
        return; // no context now: the next drawing tries again

    if (!show || !state.saved.dc || !MoveWithinOneArea(state)) {
        if (state.saved.dc)
            TakeAwayAlone(state);
        if (show)
            DrawAlone(state);
    }
    state.lastX = state.x;
    state.lastY = state.y;
}

void ShowCursorDrawing(CursorState& state)
{
    if (state.unshown && state.screen)
        GetPixel(state.screen, 0, 0);
    state.unshown = false;
}

void ReleaseCursorDrawing(CursorState& state)
{
    FreeSurface(state.saved);
    FreeSurface(state.canvas);
    state.screen.Reset();
    state.onScreen = false;
    state.screenWidth = state.screenHeight = state.cellWidth = state.cellHeight = 0;
}
