// What the listener lets go of, and how it reads the driver's words: buttons and keys
// held through an input that is switched off, a character key pressed with its own
// flags, the sub-pixel movement of a mouse that went away, a status word wider than
// the device's 32 bits.
#include "InputTestSupport.h"
#include "Cursor.h"
#include "DriverListener.h"
#include "DriverProtocol.h"
#include "GUI.h"
#include "Keyboard.h"
#include "MouseReport.h"
#include "ScreenMetrics.h"

namespace {

class ListenerReleases : public ::testing::Test {
protected:
    void SetUp() override
    {
        ComputeSize();
        g_gui.Enable_Mouse = g_gui.Enable_KB = 1;
        g_gui.Speed = 3; // 1X
        for (ButtonEntry& entry : g_gui.Buttons)
            entry = ButtonEntry();
        g_cursor = CursorState();
        g_cursor.x = g_cursor.lastX = 100;
        g_cursor.y = g_cursor.lastY = 100;
        window.BringToFront();
        Handle(TM_MOUSESTATUS, 1);
        window.Clear();
    }
    void TearDown() override
    {
        ReleaseHeldButtons(g_cursor);
        ReleaseHeldKeys();
        DrawCursor(g_cursor, 0);
    }
    static void Handle(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        MSG msg = {};
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        HandleDriverMessage(msg);
    }
    static EventWindow window;
};
EventWindow ListenerReleases::window;

TEST_F(ListenerReleases, SwitchingAnInputOffReleasesWhatItHolds)
{
    Handle(TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTDOWN);
    Handle(TM_KBREPORT, PackKeyReport('Q', 0x10), 0);
    ASSERT_TRUE(window.WaitFor({WM_LBUTTONDOWN}, 1));
    ASSERT_TRUE(window.WaitFor({WM_KEYDOWN}, 1));

    g_gui.Enable_Mouse = g_gui.Enable_KB = 0;
    Handle(TM_INPUTSWITCHED, 0);
    EXPECT_TRUE(window.WaitFor({WM_LBUTTONUP}, 1)) << "the button stayed down after the mouse was switched off";
    EXPECT_TRUE(window.WaitFor({WM_KEYUP}, 1)) << "the key stayed down after the keyboard was switched off";

    // The driver's own releases, which come while the inputs are off, release nothing twice.
    Handle(TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTUP);
    Handle(TM_KBREPORT, PackKeyReport('Q', 0x10), KEYEVENTF_KEYUP);
    window.Settle();
    EXPECT_EQ(1u, window.Events({WM_LBUTTONUP}).size());
    EXPECT_EQ(1u, window.Events({WM_KEYUP}).size());
}

TEST_F(ListenerReleases, ACharacterKeyIsReleasedWithTheFlagsItWasPressedWith)
{
    Handle(TM_KBREPORT, PackKeyReport(0, 'x'), KEYEVENTF_UNICODE);
    ASSERT_TRUE(window.WaitFor({WM_KEYDOWN}, 1));
    ASSERT_EQ((UINT)VK_PACKET, window.Events({WM_KEYDOWN})[0].vk);

    Handle(TM_KBSTATUS, 0); // the keyboard goes away
    ASSERT_TRUE(window.WaitFor({WM_KEYUP}, 1)) << "VK_PACKET stayed down after the keyboard was detached";
    EXPECT_EQ((UINT)VK_PACKET, window.Events({WM_KEYUP})[0].vk);
}

TEST_F(ListenerReleases, ANewAttachmentStartsFromAWholePixel)
{
    g_gui.Speed = 0; // 0.1X: nine counts are less than a pixel, carried to the next report
    Handle(TM_MOUSEREPORT, PackMouseReport(0, 9, 0));
    ASSERT_EQ(100, g_cursor.x);

    Handle(TM_MOUSESTATUS, 0);
    Handle(TM_MOUSESTATUS, 1);
    Handle(TM_MOUSEREPORT, PackMouseReport(0, 1, 0));
    EXPECT_EQ(100, g_cursor.x) << "the movement of the mouse that went away was carried over";
}

TEST_F(ListenerReleases, StatusWordsAreReadAsTheirLow32Bits)
{
    Handle(TM_MOUSESTATUS, 0);
    Handle(TM_MOUSESTATUS, (WPARAM)0x100000001ull);
    EXPECT_EQ(1, g_cursor.connected);
    EXPECT_EQ(1, g_mouseConnected);
    Handle(TM_KBSTATUS, (WPARAM)0x100000001ull);
    EXPECT_EQ(1, g_keyboardConnected);
    Handle(TM_MOUSESTATUS, (WPARAM)0x100000000ull); // a 0: detached
    EXPECT_EQ(0, g_cursor.connected);
}

} // namespace
