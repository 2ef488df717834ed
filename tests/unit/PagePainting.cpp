// The settings window painting its pages in this process: each paint makes its own
// bitmap, memory contexts and fonts, and must give every one back; texts from the
// registry are drawn as they are.
#include <gtest/gtest.h>
#include "DeviceKit.h"
#include "core/AppState.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"

namespace {

TEST(PagePainting, ThousandRepaintsOfEveryPageLoseNoGdiObject)
{
    ASSERT_TRUE(InstallProduct());
    ClearInstallPathCache();
    LoadSettings(g_gui);
    ASSERT_EQ(INIT_WINDOW_READY, g_gui.InitWindow(GetModuleHandleW(nullptr)));
    ShowWindow(g_gui.mainWindow, SW_SHOW);
    auto paintEveryPage = [](int times) {
        for (int page = 0; page < PAGE_COUNT; ++page) {
            g_gui.currentPage.Set(page);
            g_gui.InitWindowComponents();
            for (int i = 0; i < times; ++i) {
                InvalidateRect(g_gui.mainWindow, nullptr, FALSE);
                UpdateWindow(g_gui.mainWindow);
            }
        }
    };
    paintEveryPage(1); // what a first paint sets up for good
    unsigned before = NextGdiSlot();
    paintEveryPage(1000);
    // Rebuilding pages moves the free slots about by a few dozen; one object lost per
    // paint would move them by thousands.
    EXPECT_LE(NextGdiSlot(), before + 64) << "painting loses GDI objects";
}

// A canvas of 32-bit pixels that a test can read.
struct Canvas {
    Canvas(int width, int height) : w(width), h(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, (void**)&bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    bool operator==(const Canvas& other) const // colours only; alpha is not drawn
    {
        for (int i = 0; i < w * h; ++i)
            if ((bits[i] ^ other.bits[i]) & 0xFFFFFF)
                return false;
        return true;
    }
    int w, h;
    DWORD* bits = nullptr;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ previous;
};

TEST(PagePainting, AboutTextsFromTheRegistryAreDrawnAsTheyAre)
{
    ASSERT_TRUE(InstallProduct());
    ClearInstallPathCache();
    ASSERT_EQ(INIT_WINDOW_READY, g_gui.InitWindow(GetModuleHandleW(nullptr)));
    const struct { WCHAR* field; const WCHAR* text; int left, top, bottom; COLORREF colour; } texts[] = {
        {g_description, L"Mouse & Keyboard", 5, 20, 40, RGB(0, 0, 0)},
        {g_versionGUI, L"&1.0", 115, 40, 60, RGB(0, 0, 0)},
        {g_versionDriver, L"2.0 &&", 115, 60, 80, RGB(0, 0, 0)},
        {g_aboutWebName, L"R&D", 55, 100, 120, RGB(0, 0, 0xFF)},
    };
    for (const auto& t : texts)
        wcscpy(t.field, t.text);
    g_gui.currentPage.Set(PAGE_ABOUT);
    RECT client;
    GetClientRect(g_gui.mainWindow, &client);
    Canvas painted(client.right, client.bottom), asWritten(client.right, client.bottom),
        withMnemonic(client.right, client.bottom);
    g_gui.Paint(painted.dc, g_gui.mainWindow);

    // The same page with one text redrawn in its box, in the same font and format.
    auto redraw = [&](Canvas& canvas, const decltype(texts[0])& t, UINT format) {
        BitBlt(canvas.dc, 0, 0, canvas.w, canvas.h, painted.dc, 0, 0, SRCCOPY);
        RECT box = {DRAX(t.left), DRAY(t.top) + 1, canvas.w, DRAY(t.bottom)}; // the rule above stays
        FillRect(canvas.dc, &box, (HBRUSH)GetStockObject(WHITE_BRUSH));
        box.top -= 1;
        DrawLabel(L"tahoma", DRAY(14), 100, t.colour, canvas.dc, t.text, &box, DT_SINGLELINE | DT_VCENTER | format);
    };
    for (const auto& t : texts) {
        redraw(asWritten, t, DT_NOPREFIX);
        redraw(withMnemonic, t, 0);
        ASSERT_FALSE(asWritten == withMnemonic) << ToUtf8(t.text) << " looks the same either way";
        EXPECT_TRUE(painted == asWritten) << ToUtf8(t.text) << " is not drawn as it is written";
    }
}

} // namespace
