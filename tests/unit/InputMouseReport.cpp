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

TEST_F(InputMouseReport, SpeedTableScalesBothAxes)
{
    const int multipliers[] = {0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int speed = 3; speed <= 10; ++speed)
        EXPECT_EQ(multipliers[speed] * 5, MoveFromFreshStart(speed, 5)) << "speed " << speed;
    EXPECT_EQ(5, MoveFromFreshStart(11, 5));
    EXPECT_EQ(-5, MoveFromFreshStart(-1, -5));
    g_gui.Speed = 4;
    state.y = 100;
    Report(0, 0, -7);
    EXPECT_EQ(86, state.y);
}

// A single report moves by the truncated amount; what it loses is carried on, so
// slow movement adds up instead of vanishing.
TEST_F(InputMouseReport, SlowSpeedsCarryTheRemainder)
{
    EXPECT_EQ(0, MoveFromFreshStart(0, 9));
    EXPECT_EQ(-1, MoveFromFreshStart(0, -15));
    EXPECT_EQ(2, MoveFromFreshStart(0, 20));
    EXPECT_EQ(0, MoveFromFreshStart(2, 1));

    MoveFromFreshStart(0, 0);
    for (int i = 0; i < 10; ++i)
        Report(0, 1, 0);
    EXPECT_EQ(101, state.x);
    for (int i = 0; i < 10; ++i)
        Report(0, -1, 0);
    EXPECT_EQ(100, state.x);

    g_gui.Speed = 1; // 0.2X
    for (int i = 0; i < 4; ++i)
        Report(0, 0, 2);
    EXPECT_EQ(101, state.y);
}

// 0 <= X <= width, 0 <= Y <= height; the far edge itself delivers to the last pixel.
TEST_F(InputMouseReport, PositionIsClampedToTheScreenInclusive)
{
    int width = g_screen.width, height = g_screen.height;
    for (int i = 0; i < 60; ++i)
        Report(0, 127, 127);
    EXPECT_EQ(width, state.x);
    EXPECT_EQ(height, state.y);
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    std::vector<InputEvent> down = window.Events({WM_LBUTTONDOWN});
    ASSERT_TRUE(window.WaitFor({WM_LBUTTONDOWN}, 1));
    down = window.Events({WM_LBUTTONDOWN});
    EXPECT_EQ(width - 1, down[0].x);
    EXPECT_EQ(height - 1, down[0].y);

    for (int i = 0; i < 60; ++i)
        Report(0, -128, -128);
    EXPECT_EQ(0, state.x);
    EXPECT_EQ(0, state.y);
    // Pushing against the edge stores nothing up: the first step back moves at once.
    g_gui.Speed = 0;
    Report(0, 10, 0);
    EXPECT_EQ(1, state.x);

    // The screen size is read at every report: a smaller screen pulls the pointer in.
    state.y = height;
    g_screen.height = height - 80;
    Report(0, 0, 0);
    EXPECT_EQ(height - 80, state.y);
    ComputeSize();
}

TEST_F(InputMouseReport, ClickLandsWhereThePointerIs)
{
    state.x = state.y = 0;
    Report(0, 10, 20, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    state.x = state.y = 5;
    Report(0, -5, -5, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    state.x = g_screen.width - 3;
    state.y = g_screen.height - 4;
    Report(0, 2, 3, MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(window.WaitFor({WM_RBUTTONUP}, 1));
    std::vector<InputEvent> presses = window.Events({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN});
    ASSERT_EQ(3u, presses.size());
    EXPECT_EQ(10, presses[0].x);
    EXPECT_EQ(20, presses[0].y);
    EXPECT_EQ(0, presses[1].x);
    EXPECT_EQ(0, presses[1].y);
    EXPECT_EQ(g_screen.width - 1, presses[2].x);
    EXPECT_EQ(g_screen.height - 1, presses[2].y);
}

// The press runs its input's action; the release ends exactly what the press began.
TEST_F(InputMouseReport, ReleaseEndsWhatItsPressBegan)
{
    g_gui.Buttons[BUTTON_LEFT].Action = ACTION_RIGHT_CLICK;
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ((std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}), ButtonKinds());

    // Left and right down together: only the left input's action runs.
    window.Clear();
    g_gui.Buttons[BUTTON_LEFT].Action = ACTION_LEFT_CLICK;
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}), ButtonKinds());

    // A press that sent no button (a program launch) sends no release; a release
    // without any press sends none either.
    window.Clear();
    g_gui.Buttons[BUTTON_MIDDLE].Action = 99;
    Report(0, 0, 0, MOUSEEVENTF_MIDDLEDOWN);
    Report(0, 0, 0, MOUSEEVENTF_MIDDLEUP);
    Report(0, 0, 0, MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(ButtonKinds().empty());

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

TEST_F(InputMouseReport, HeldButtonsAreReleasedWhenTheMouseGoes)
{
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 3, 0, MOUSEEVENTF_RIGHTDOWN);
    ReleaseHeldButtons(state);
    ReleaseHeldButtons(state);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTUP); // arrives after the release: nothing more
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP}), ButtonKinds());
}

TEST_F(InputMouseReport, WheelStepsScrollByTheirCount)
{
    Report(2, 0, 0);
    Report(-1, 0, 0);
    g_gui.Buttons[BUTTON_RIGHT].Action = ACTION_SCROLL_DOWN;
    Report(0, 0, 0, MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(window.WaitFor({WM_MOUSEWHEEL}, 3));
    window.Settle();
    std::vector<InputEvent> wheel = window.Events({WM_MOUSEWHEEL});
    ASSERT_EQ(3u, wheel.size());
    EXPECT_EQ(240, wheel[0].delta);
    EXPECT_EQ(-120, wheel[1].delta);
    EXPECT_EQ(-120, wheel[2].delta);
    EXPECT_TRUE(ButtonKinds().empty());
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

TEST_F(InputMouseReport, DoubleClickIsFourTimedEvents)
{
    g_gui.Buttons[BUTTON_LEFT].Action = ACTION_DOUBLE_CLICK;
    DWORD start = GetTickCount();
    Report(0, 4, 0, MOUSEEVENTF_LEFTDOWN);
    DWORD took = GetTickCount() - start;
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    std::vector<InputEvent> events = Buttons();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}), ButtonKinds());
    for (const InputEvent& e : events)
        EXPECT_EQ(104, e.x);
    EXPECT_GE(events[1].tick - events[0].tick, 35u);
    EXPECT_GE(events[2].tick - events[1].tick, 80u);
    EXPECT_GE(events[3].tick - events[2].tick, 35u);
    EXPECT_GE(took, 190u);
    EXPECT_LT(took, 2000u);
}

TEST_F(InputMouseReport, TapAndHoldHoldsForASecond)
{
    g_gui.Buttons[BUTTON_RIGHT].Action = ACTION_TAP_AND_HOLD;
    Report(0, 0, 0, MOUSEEVENTF_RIGHTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_RIGHTUP);
    std::vector<InputEvent> events = Buttons();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ((std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}), ButtonKinds());
    EXPECT_GE(events[1].tick - events[0].tick, 950u);
    EXPECT_LT(events[1].tick - events[0].tick, 3000u);
}

} // namespace
