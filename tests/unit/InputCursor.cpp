// The software cursor on the real screen: the chosen shape at the pointer, the
// save-under put back when it moves, the probe rule that keeps a repainted screen,
// a built-in arrow without a picture, and no GDI objects lost over many moves.
#include "InputTestSupport.h"
#include <aygshell.h>
#include "DeviceKit.h"
#include "GUI.h"
#include "InstallPath.h"
#include "MouseReport.h"
#include "ScreenMetrics.h"

namespace {

const COLORREF kBackground = RGB(0x30, 0x60, 0x90);
const COLORREF kMagenta = RGB(255, 0, 255);

COLORREF ShapeColour(int shape) { return RGB(20 + shape * 20, 200, 40); }

// A strip of `shapes` cells; each cell is magenta but for a block of its own colour
// at (1, 1) .. (cell / 2) that keeps clear of the probe pixels.
HBITMAP CreateTestStrip(int shapes)
{
    int w = DRAX(10), h = DRAY(20);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, w * shapes, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, strip);
    for (int i = 0; i < shapes; ++i) {
        RECT cell = {i * w, 0, (i + 1) * w, h};
        HBRUSH key = CreateSolidBrush(kMagenta);
        FillRect(dc, &cell, key);
        DeleteObject(key);
        RECT block = {i * w + 1, 1, i * w + w / 2, h / 2};
        HBRUSH colour = CreateSolidBrush(ShapeColour(i));
        FillRect(dc, &block, colour);
        DeleteObject(colour);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    return strip;
}

class InputCursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ComputeSize();
        g_gui.Cursor = 0;
        window.BringToFront();
        InvalidateRect(window.handle(), nullptr, TRUE);
        window.Settle();
        state = CursorState();
        state.cursorImage = CreateTestStrip(10);
        w = DRAX(10);
        h = DRAY(20);
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
    // The shape's block at the cell's (2, 2) and both probe pixels.
    void ExpectCursorAt(int x, int y, COLORREF shape)
    {
        EXPECT_EQ(shape, ScreenPixel(x + 2, y + 2)) << "shape at " << x << "," << y;
        EXPECT_EQ(kBackground, ScreenPixel(x + w - 3, y + 3));
        EXPECT_EQ(kBackground, ScreenPixel(x + 3, y + h - 3));
    }

    static EventWindow window;
    CursorState state;
    int w = 0, h = 0;
};
EventWindow InputCursor::window(kBackground);

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
    state.cursorImage = CreateTestStrip(3);
    g_gui.Cursor = 5;
    MoveTo(100, 30);
    ExpectCursorAt(100, 30, ShapeColour(0));
    g_gui.Cursor = 2;
    MoveTo(100, 90);
    ExpectCursorAt(100, 90, ShapeColour(2));
}

// Without a picture the pointer is a plain arrow whose tip is the hot spot, and the
// probe pixels still show the screen beneath.
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

    // An install path without the picture file: the same arrow.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    const wchar_t nowhere[] = L"\\No Such Folder";
    RegSetValueExW(key, L"InstallPath", 0, REG_SZ, (const BYTE*)nowhere, sizeof nowhere);
    RegCloseKey(key);
    ClearInstallPathCache();
    LoadCursorImage(state);
    BITMAP info = {};
    ASSERT_EQ((int)sizeof info, GetObjectW(state.cursorImage, sizeof info, &info));
    EXPECT_EQ(w, info.bmWidth);
    EXPECT_EQ(h, info.bmHeight);
}

TEST_F(InputCursor, InstalledStripIsLoadedForTheScale)
{
    InstallOptions options;
    options.writeFirstSettings = false;
    std::wstring error;
    ASSERT_TRUE(InstallProduct(options, &error)) << std::string(error.begin(), error.end());
    ClearInstallPathCache();
    FreeCursorImage(state);
    LoadCursorImage(state);
    BITMAP info = {};
    ASSERT_EQ((int)sizeof info, GetObjectW(state.cursorImage, sizeof info, &info));
    EXPECT_EQ(10 * w, info.bmWidth);
    EXPECT_EQ(h, info.bmHeight);
    // Every shape leaves its probe pixels transparent.
    g_gui.Cursor = 9;
    MoveTo(100, 100);
    EXPECT_EQ(kBackground, ScreenPixel(100 + w - 3, 103));
    EXPECT_EQ(kBackground, ScreenPixel(103, 100 + h - 3));
}

// Wine does not count GDI objects per process (GetGuiResources gives 0), but its
// handle table hands out freed slots first: a leak shows as the next new handle's
// slot climbing.
unsigned NextGdiSlot()
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    unsigned slot = LOWORD((ULONG_PTR)brush);
    DeleteObject(brush);
    return slot;
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

} // namespace
