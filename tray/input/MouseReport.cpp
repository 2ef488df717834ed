// One mouse report from the driver: relative movement scaled by the speed setting
// into an absolute pointer position, button presses and wheel steps through their
// bound actions, and one pointer event (or a timed sequence) at that position.
#include "input/MouseReport.h"
#include "core/ScreenMetrics.h"
#include "core/Settings.h"
#include "input/ButtonActions.h"
#include "protocol/DriverProtocol.h"

namespace {
const int kSpeedMultiplier[SPEED_COUNT] = {1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8};
const int kSpeedDivisor[SPEED_COUNT] = {10, 5, 2, 1, 1, 1, 1, 1, 1, 1, 1};

enum {
    DOWN_FLAGS = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_MIDDLEDOWN,
    BUTTON_FLAGS = DOWN_FLAGS | MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTUP | MOUSEEVENTF_MIDDLEUP,
    WHEEL_STEP = 120,
    DOUBLE_CLICK_PRESS_MS = 50,
    DOUBLE_CLICK_GAP_MS = 100,
    TAP_AND_HOLD_MS = 1000,
};

// The three physical buttons in the order their presses are tried.
struct PhysicalButton {
    DWORD downBit, upBit;
    int input; // index into the button action table
};
const PhysicalButton kButtons[3] = {
    {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, BUTTON_LEFT},
    {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, BUTTON_RIGHT},
    {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, BUTTON_MIDDLE},
};

// A press of each physical button that this instance handled and whose release has
// not come yet, with the down flags it sent (none for a sequence or a device
// action). Its release sends exactly these ups, whatever action the press ran. A
// release without such a press (one pressed before this instance started, say)
// passes its own up flag through, so that a button held in the system is let go.
struct HeldButton {
    BYTE pressed;
    DWORD downs;
};
HeldButton s_held[ARRAYSIZE(kButtons)];

// Movement below one pixel at slow speeds, carried to the next report per axis.
int s_remainderX, s_remainderY;
int s_remainderSpeed = -1;
} // namespace

// The up flags that release the given down flags.
static DWORD UpsFor(DWORD downs) { return (downs & DOWN_FLAGS) << 1; }

static int ScaleAxis(int counts, int speed, int& remainder)
{
    int multiplier = 1, divisor = 1;
    if (speed >= 0 && speed < SPEED_COUNT) {
        multiplier = kSpeedMultiplier[speed];
        divisor = kSpeedDivisor[speed];
    }
    int total = counts * multiplier + remainder;
    remainder = total % divisor;
    return total / divisor;
}

// Clamps to 0..limit inclusive; movement pushed against an edge is not stored up.
static int Clamp(int value, int limit, int& remainder)
{
    if (value < 0) {
        remainder = 0;
        return 0;
    }
    if (value > limit) {
        remainder = 0;
        return limit;
    }
    return value;
}

static DWORD Normalise(int pixel, int pixels) { return pixels > 0 ? (DWORD)((pixel * 65535) / pixels) : 0; }

void ResetMotionRemainder()
{
    s_remainderX = s_remainderY = 0;
    s_remainderSpeed = -1;
}

void ProcessMouseReport(CursorState& state, DWORD report, DWORD buttons)
{
    int wheel = MouseReportWheel(report);
    int dx = MouseReportDx(report);
    int dy = MouseReportDy(report);

    const SettingsRecord& settings = AppSettings();
    int speed = settings.Speed;
    if (speed != s_remainderSpeed) {
        s_remainderX = s_remainderY = 0; // a remainder of another speed means nothing here
        s_remainderSpeed = speed;
    }
    int width = g_screen.width, height = g_screen.height;
    state.x = Clamp(state.x + ScaleAxis(dx, speed, s_remainderX), width, s_remainderX);
    state.y = Clamp(state.y + ScaleAxis(dy, speed, s_remainderY), height, s_remainderY);
    DWORD nx = Normalise(state.x, width), ny = Normalise(state.y, height);
    DWORD moved = (dx || dy) ? MOUSEEVENTF_MOVE : 0;

    int pressed = -1;
    for (int i = 0; i < (int)ARRAYSIZE(kButtons) && pressed < 0; ++i)
        if (buttons & kButtons[i].downBit)
            pressed = i;

    // Releases first: each sends the ups of what its own press sent. A button pressed
    // and released within this report is released below, with what this press sends.
    DWORD releases = 0;
    for (int i = 0; i < (int)ARRAYSIZE(kButtons); ++i)
        if (buttons & kButtons[i].upBit) {
            if (s_held[i].pressed)
                releases |= UpsFor(s_held[i].downs);
            else if (i != pressed)
                releases |= kButtons[i].upBit;
            s_held[i] = HeldButton();
        }

    DWORD flags = 0, sequence = SEQUENCE_NONE;
    if (pressed >= 0)
        DoAction(kButtons[pressed].input, flags, sequence);
    else
        moved |= buttons & ~(DWORD)BUTTON_FLAGS; // other bits pass through untouched
    DWORD pressDowns = flags & DOWN_FLAGS;

    if (wheel > 0)
        DoAction(BUTTON_WHEEL_UP, flags, sequence);
    else if (wheel < 0)
        DoAction(BUTTON_WHEEL_DOWN, flags, sequence);
    // A click bound to a wheel step is a whole click: nothing releases it later.
    flags |= UpsFor((flags & DOWN_FLAGS) & ~pressDowns);

    bool wholeSequence = sequence == SEQUENCE_DOUBLE_CLICK || sequence == SEQUENCE_TAP_AND_HOLD;
    if (wholeSequence)
        pressDowns = 0; // the sequence sends whole clicks of its own; the press sent nothing
    bool releasedAtOnce = pressed >= 0 && (buttons & kButtons[pressed].upBit);
    if (pressed >= 0 && !releasedAtOnce) {
        s_held[pressed].pressed = 1;
        s_held[pressed].downs = pressDowns;
    }
    // An earlier press released in the same event as a new press of the same flag would
    // be undone by it (downs go out before ups), so such releases go out first.
    if (releases && (wholeSequence || (releases & UpsFor(flags)))) {
        mouse_event(MOUSEEVENTF_ABSOLUTE | releases, nx, ny, 0, 0);
        releases = 0;
    }
    if (releasedAtOnce)
        releases |= UpsFor(pressDowns); // pressed and released within this one report

    if (wholeSequence) {
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, nx, ny, 0, 0);
        if (sequence == SEQUENCE_DOUBLE_CLICK) {
            Sleep(DOUBLE_CLICK_PRESS_MS);
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, nx, ny, 0, 0);
            Sleep(DOUBLE_CLICK_GAP_MS);
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, nx, ny, 0, 0);
            Sleep(DOUBLE_CLICK_PRESS_MS);
        } else {
            Sleep(TAP_AND_HOLD_MS);
        }
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, nx, ny, 0, 0);
    } else if (sequence == SEQUENCE_SCROLL_UP || sequence == SEQUENCE_SCROLL_DOWN) {
        int steps = wheel < 0 ? -wheel : wheel;
        if (steps == 0)
            steps = 1; // a button bound to a scroll action scrolls one step
        int data = (sequence == SEQUENCE_SCROLL_UP ? WHEEL_STEP : -WHEEL_STEP) * steps;
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_WHEEL | moved | flags | releases, nx, ny, (DWORD)data, 0);
    } else {
        mouse_event(MOUSEEVENTF_ABSOLUTE | moved | flags | releases, nx, ny, (DWORD)wheel, 0);
    }
    FollowPointer(state);
}

void ReleaseHeldButtons(CursorState& state)
{
    DWORD ups = 0;
    for (HeldButton& held : s_held) {
        ups |= UpsFor(held.downs);
        held = HeldButton();
    }
    if (ups)
        mouse_event(MOUSEEVENTF_ABSOLUTE | ups, Normalise(state.x, g_screen.width), Normalise(state.y, g_screen.height),
                    0, 0);
}
