// The settings window painting every page over and over, in this process: each paint
// makes its own bitmap, memory contexts and fonts, and must give every one back.
#include <gtest/gtest.h>
#include "DeviceKit.h"
#include "GUI.h"
#include "InstallPath.h"

namespace {

TEST(PagePainting, ThousandRepaintsOfEveryPageLoseNoGdiObject)
{
    ASSERT_TRUE(InstallProduct());
    ClearInstallPathCache();
    LoadSettings(g_gui);
    ASSERT_EQ(1, g_gui.InitWindow(GetModuleHandleW(nullptr)));
    ShowWindow(g_gui.mainWindow, SW_SHOW);
    auto paintEveryPage = [](int times) {
        for (int page = 0; page < PAGE_COUNT; ++page) {
            g_gui.currentPage = page;
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

} // namespace
