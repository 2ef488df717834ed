// Mouse reports turned into pointer input, observed as the messages a full-screen
// window receives: scaling and carried remainders, clamping, where clicks land, the
// button and wheel rules, the timed sequences and that no button is left held.
#include "InputTestSupport.h"
#include "DriverProtocol.h"
#include "GUI.h"
#include "MouseReport.h"
#include "ScreenMetrics.h"

namespace {

class InputMouseReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ComputeSize();
        g_gui.Speed = 3; // 1X
        for (int i = 0; i < BUTTON_COUNT; ++i)
            g_gui.Buttons[i] = ButtonEntry();
        g_gui.Buttons[BUTTON_RIGHT].Action = ACTION_RIGHT_CLICK;
        g_gui.Buttons[BUTTON_MIDDLE].Action = ACTION_MIDDLE_CLICK;
        g_gui.Buttons[BUTTON_WHEEL_UP].Action = ACTION_SCROLL_UP;
        g_gui.Buttons[BUTTON_WHEEL_DOWN].Action = ACTION_SCROLL_DOWN;
        state = CursorState();
        state.x = state.lastX = 100;
        state.y = state.lastY = 100;
        ResetMotionRemainder();
        window.BringToFront();
        window.Clear();
    }
    void TearDown() override { ReleaseHeldButtons(state); }

    void Report(int wheel, int dx, int dy, DWORD buttons = 0)
    {
        ProcessMouseReport(state, (DWORD)PackMouseReport(wheel, dx, dy), buttons);
    }
    // Moves X from a fresh start at the given speed and returns the change.
    int MoveFromFreshStart(int speed, int dx)
    {
        g_gui.Speed = speed;
        ResetMotionRemainder();
        state.x = 100;
        Report(0, dx, 0);
        return state.x - 100;
    }
    std::vector<InputEvent> Buttons()
    {
        window.Settle();
        return window.Events({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN,
                              WM_MBUTTONUP, WM_LBUTTONDBLCLK});
    }
    std::vector<UINT> ButtonKinds()
    {
        std::vector<UINT> kinds;
        for (const InputEvent& e : Buttons())
            kinds.push_back(e.message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : e.message);
        return kinds;
    }

    static EventWindow window;
    CursorState state;
};
EventWindow InputMouseReport::window;

// The press runs its input's action; the release ends exactly what the press began.
TEST_F(InputMouseReport, ReleaseEndsWhatItsPressBegan)
{
    g_gui.Buttons[BUTTON_LEFT].Action = ACTION_RIGHT_CLICK;
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ((std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}), ButtonKinds());

    // Left and right down together: only the left input's action runs. The right
    // press sent nothing, so its release passes through as it came.
    window.Clear();
    g_gui.Buttons[BUTTON_LEFT].Action = ACTION_LEFT_CLICK;
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTUP);
    std::vector<UINT> both = ButtonKinds();
    std::sort(both.begin(), both.end());
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP}), both);

    // A press that sent no button (a program launch) sends no release. A release
    // whose press this instance never saw (pressed before it started) passes through.
    window.Clear();
    g_gui.Buttons[BUTTON_MIDDLE].Action = 99;
    Report(0, 0, 0, MOUSEEVENTF_MIDDLEDOWN);
    Report(0, 0, 0, MOUSEEVENTF_MIDDLEUP);
    Report(0, 0, 0, MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ((std::vector<UINT>{WM_RBUTTONUP}), ButtonKinds());

    // Another button released while a new press is made is still released.
    window.Clear();
    Report(0, 0, 0, MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTUP);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    std::vector<UINT> kinds = ButtonKinds();
    EXPECT_EQ(2, std::count(kinds.begin(), kinds.end(), (UINT)WM_RBUTTONDOWN) +
                     std::count(kinds.begin(), kinds.end(), (UINT)WM_RBUTTONUP));
    EXPECT_EQ(WM_LBUTTONUP, kinds.back());
}

// A click bound to a wheel direction is a whole click; together with a button press
// in the same report both actions run.
TEST_F(InputMouseReport, WheelBoundToAClickClicksWhole)
{
    g_gui.Buttons[BUTTON_WHEEL_UP].Action = ACTION_MIDDLE_CLICK;
    Report(1, 0, 0);
    EXPECT_EQ((std::vector<UINT>{WM_MBUTTONDOWN, WM_MBUTTONUP}), ButtonKinds());

    window.Clear();
    g_gui.Buttons[BUTTON_WHEEL_UP].Action = ACTION_SCROLL_UP;
    Report(1, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(window.WaitFor({WM_MOUSEWHEEL}, 1));
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}), ButtonKinds());
}

} // namespace
