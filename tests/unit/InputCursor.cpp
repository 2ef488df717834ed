// The software cursor drawn in-process onto the real screen, over the recorder's
// plain background: the shape a setting chooses, a built-in arrow without a picture,
// no GDI objects lost over many moves, and the cursor's own thread.
#include <gtest/gtest.h>
#include "DeviceKit.h"
#include "Recorder.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"
#include "input/Cursor.h"
#include "input/CursorImage.h"
#include "input/CursorThread.h"
#include "WaitUntil.h"
#include "core/AppState.h"

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
        ReleaseCursorDrawing(state);
        FreeCursorImage(state);
    }
    void MoveTo(int x, int y)
    {
        state.x = x;
        state.y = y;
        DrawCursor(state, 1);
        ShowCursorDrawing(state); // as the cursor's thread does before it rests
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

// The cursor's thread draws where the listener places the pointer, follows a burst of
// placements to its last one, takes the cursor away when told, and sleeps in
// between: its processor time stands still while nothing changes.
TEST_F(InputCursor, ItsThreadFollowsPlacementsAndSleepsBetweenThem)
{
    g_cursor.cursorImage.Reset(CreateTestStrip(10));
    g_terminate.Set(false);
    ScopedHandle thread(CreateThread(nullptr, 0, CursorThread, nullptr, 0, nullptr));
    ASSERT_TRUE(thread.IsValid());
    auto busyMs = [&] {
        FILETIME created, exited, kernel, user;
        GetThreadTimes(thread, &created, &exited, &kernel, &user);
        auto value = [](FILETIME t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; };
        return (double)(value(kernel) + value(user)) / 10000.0;
    };

    PlaceCursor(40, 40, true);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(42, 42) == ShapeColour(0); }, 2000));
    for (int i = 0; i <= 50; ++i)
        PlaceCursor(60 + i, 60, true);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(112, 62) == ShapeColour(0); }, 2000));
    EXPECT_EQ(kBackground, ScreenPixel(42, 42)) << "the first cell was not put back";
    PlaceCursor(110, 60, true); // where it is: nothing to draw
    Sleep(100);
    double before = busyMs();
    Sleep(500);
    EXPECT_LE(busyMs() - before, 20.0) << "the thread works while nothing changes";

    PlaceCursor(110, 60, false);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(112, 62) == kBackground; }, 2000)) << "not taken away";
    g_terminate.Set(true);
    WakeCursorThread();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    EXPECT_TRUE(g_cursorThreadReturned.IsSet());
    g_terminate.Set(false);
    ReleaseCursorDrawing(g_cursor);
    FreeCursorImage(g_cursor);
}

} // namespace
