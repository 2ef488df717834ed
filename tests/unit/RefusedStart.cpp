// A start refused after its window was made (here: no tab strip can be created)
// destroys that window on its way out, and must not save the settings it read:
// absent values would be written back as zeros.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "AppKey.h"
#include "gui/GUI.h"

namespace {

TEST(RefusedStart, DestroyingTheWindowWritesNothing)
{
    DeleteAppKey();
    SetDword(L"Speed", 7);
    LoadSettings(g_gui);

    ASSERT_TRUE(UnregisterClassW(WC_TABCONTROLW, GetModuleHandleW(L"comctl32.dll")));
    EXPECT_EQ(INIT_NO_TABS, g_gui.InitWindow(GetModuleHandleW(nullptr)));
    g_gui.Release(); // what the exit handler does

    EXPECT_FALSE(HasValue(L"Enable_Tray")) << "the refused start saved its settings";
    EXPECT_FALSE(HasValue(kListenerThreadValue));
    EXPECT_EQ(7u, GetDword(L"Speed"));
}

} // namespace
