// The software cursor drawn in-process onto the real screen, over the recorder's
// plain background: the shape a setting chooses, a built-in arrow without a picture,
// and no GDI objects lost over many moves.
#include <gtest/gtest.h>
#include "DeviceKit.h"
#include "Recorder.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"
#include "input/Cursor.h"
#include "input/CursorImage.h"

namespace {

const COLORREF kBackground = RGB(0x30, 0x60, 0x90);

COLORREF ShapeColour(int shape) { return RGB(20 + shape * 20, 200, 40); }

// A strip of `shapes` cells; each cell is magenta (transparent) but for a block of its
// own colour at (1, 1) .. (cell / 2) that keeps clear of the probe pixels.
HBITMAP CreateTestStrip(int shapes)
{
    int w = DRAX(10), h = DRAY(20);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, w * shapes, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, strip);
    for (int i = 0; i < shapes; ++i) {
        RECT cell = {i * w, 0, (i + 1) * w, h}, block = {i * w + 1, 1, i * w + w / 2, h / 2};
        HBRUSH key = CreateSolidBrush(RGB(255, 0, 255)), colour = CreateSolidBrush(ShapeColour(i));
        FillRect(dc, &cell, key);
        FillRect(dc, &block, colour);
        DeleteObject(key);
        DeleteObject(colour);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return strip;
}

class InputCursor : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ComputeSize();
        recorder.Start(kBackground);
    }
    static void TearDownTestSuite() { recorder.Stop(); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, recorder.Window());
        recorder.PaintPatch({0, 0, g_screen.width, g_screen.height}, kBackground);
        g_gui.Cursor = 0;
        state.cursorImage.Reset(CreateTestStrip(10));
    }
    void TearDown() override
    {
        DrawCursor(state, 0);
        FreeCursorImage(state);
    }
    void MoveTo(int x, int y)
    {
        state.x = x;
        state.y = y;
        DrawCursor(state, 1);
    }
    // The shape's block at the cell's (2, 2); both probe pixels show the background.
    void ExpectCursorAt(int x, int y, COLORREF shape)
    {
        EXPECT_EQ(shape, ScreenPixel(x + 2, y + 2)) << "shape at " << x << "," << y;
        EXPECT_EQ(kBackground, ScreenPixel(x + w - 3, y + 3));
        EXPECT_EQ(kBackground, ScreenPixel(x + 3, y + h - 3));
    }

    static Recorder recorder;
    CursorState state = {}; // each test has a fixture of its own
    const int w = DRAX(10), h = DRAY(20);
};
Recorder InputCursor::recorder;

TEST_F(InputCursor, SettingOutsideTheStripShowsTheFirstShape)
{
    g_gui.Cursor = 10;
    MoveTo(30, 30);
    ExpectCursorAt(30, 30, ShapeColour(0));
    g_gui.Cursor = -1;
    MoveTo(30, 90);
    ExpectCursorAt(30, 90, ShapeColour(0));

    // A strip with fewer cells than the setting asks for.
    DrawCursor(state, 0);
    FreeCursorImage(state);
    state.cursorImage.Reset(CreateTestStrip(3));
    g_gui.Cursor = 5;
    MoveTo(100, 30);
    ExpectCursorAt(100, 30, ShapeColour(0));
    g_gui.Cursor = 2;
    MoveTo(100, 90);
    ExpectCursorAt(100, 90, ShapeColour(2));
}

// Without a picture the pointer is a plain arrow whose tip is the hot spot, and the
// probe pixels still show the screen beneath; an install path without the picture
// file gives the same arrow.
TEST_F(InputCursor, MissingPictureGivesABuiltInArrow)
{
    FreeCursorImage(state);
    MoveTo(70, 70);
    ASSERT_NE(nullptr, state.cursorImage);
    EXPECT_EQ(RGB(0, 0, 0), ScreenPixel(70, 70));
    EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(70 + DRAX(2), 70 + DRAY(6)));
    EXPECT_EQ(kBackground, ScreenPixel(70 + w - 3, 73));
    EXPECT_EQ(kBackground, ScreenPixel(73, 70 + h - 3));
    DrawCursor(state, 0);
    FreeCursorImage(state);

    const wchar_t nowhere[] = L"\\No Such Folder";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    RegSetValueExW(key, kInstallPathValue, 0, REG_SZ, (const BYTE*)nowhere, sizeof nowhere);
    RegCloseKey(key);
    ClearInstallPathCache();
    LoadCursorImage(state);
    BITMAP info = {};
    ASSERT_EQ((int)sizeof info, GetObjectW(state.cursorImage, sizeof info, &info));
    EXPECT_EQ(w, info.bmWidth);
    EXPECT_EQ(h, info.bmHeight);
}

TEST_F(InputCursor, ManyMovesLoseNoGdiObjects)
{
    MoveTo(10, 10);
    DWORD countBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    unsigned slotBefore = NextGdiSlot();
    for (int i = 0; i < 10000; ++i)
        MoveTo(10 + i % 200, 10 + (i / 200) % 250);
    DrawCursor(state, 0);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), countBefore + 2);
    EXPECT_LE(NextGdiSlot(), slotBefore + 8);
}

// While reports keep coming the cursor is drawn at most once a frame; a move within
// the frame waits, and the due drawing brings the cursor to the pointer.
TEST_F(InputCursor, MovesWithinAFrameAreDrawnOnceAtItsEnd)
{
    state.connected = 1;
    MoveTo(40, 40);
    ExpectCursorAt(40, 40, ShapeColour(0));
    bool withinFrame = false;
    for (int attempt = 0; attempt < 5 && !withinFrame; ++attempt) { // a loaded machine may lose the frame
        int drawnAt = state.lastX;
        state.x = 60 + attempt;
        DWORD drawn = state.drawnTick = GetTickCount();
        FollowPointer(state);
        withinFrame = GetTickCount() - drawn < CURSOR_FRAME_MS;
        if (withinFrame) {
            EXPECT_EQ(drawnAt, state.lastX) << "drawn within the frame";
            EXPECT_LE(CursorDueIn(state), (DWORD)CURSOR_FRAME_MS);
        }
    }
    ASSERT_TRUE(withinFrame) << "no move within a frame in five tries";
    DrawDueCursor(state);
    EXPECT_EQ(INFINITE, CursorDueIn(state));
    ExpectCursorAt(state.x, 40, ShapeColour(0));
}

} // namespace
