// The automatic-start rule and the screen metrics, in-process on the emulated screen.
#include <gtest/gtest.h>
#include "app/Startup.h"
#include "core/ScreenMetrics.h"

namespace {

TEST(StartRule, TrayAloneInAnyCaseOrAutostart)
{
    EXPECT_TRUE(MayStart(0, L"-tray"));
    EXPECT_TRUE(MayStart(0, L"-TRAY"));
    EXPECT_TRUE(MayStart(0, L"-TrAy"));
    EXPECT_FALSE(MayStart(0, L""));
    EXPECT_FALSE(MayStart(0, nullptr));
    EXPECT_FALSE(MayStart(0, L"-tray "));
    EXPECT_FALSE(MayStart(0, L"-tray -x"));
    EXPECT_FALSE(MayStart(0, L"/tray"));
    EXPECT_TRUE(MayStart(1, L""));
    EXPECT_TRUE(MayStart(0xFFFFFFFF, L"anything"));
}

void ExpectScreen(int width, int height, int scale)
{
    g_screen = {};
    ComputeSize();
    EXPECT_EQ(width, g_screen.width);
    EXPECT_EQ(height, g_screen.height);
    EXPECT_EQ(scale, g_screen.ScaleX);
    EXPECT_EQ(scale, g_screen.ScaleY);
    EXPECT_EQ(2 * scale, DRAX(2));
    EXPECT_EQ(20 * scale, DRAY(20));
    EXPECT_EQ(26 * scale, g_screen.MH) << "the shell's top bar";
}

TEST(ScreenMetrics, PortraitScreenOfTheDevice) { ExpectScreen(240, 320, 1); }

TEST(ScreenMetricsHiRes, HighResolutionScreenDoublesEverything) { ExpectScreen(480, 640, 2); }

} // namespace
