// One mouse report from the driver, in three steps: the relative movement scaled by
// the speed setting into an absolute pointer position; what the report's buttons
// and wheel steps do, through their bound actions; one pointer event (or a timed
// sequence) at that position. The cursor then follows the pointer.
#include "input/MouseReport.h"
#include "core/ScreenMetrics.h"
#include "core/Settings.h"
#include "input/ButtonActions.h"
#include "input/CursorThread.h"
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

// The physical buttons in the order their presses are tried; PointerState::held
// follows this order.
struct PhysicalButton {
    DWORD downBit, upBit;
    int input; // index into the button action table
};
const PhysicalButton kButtons[PHYSICAL_BUTTONS] = {
    {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, BUTTON_LEFT},
    {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, BUTTON_RIGHT},
    {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, BUTTON_MIDDLE},
};

// What one report sends, decided before anything is sent.
struct PointerEvent {
    DWORD nx, ny;        // the position in 0..65535
    DWORD flags;         // MOUSEEVENTF_MOVE, the bits passed through and what the actions add
    DWORD releases;      // ups that go out with the event
    DWORD firstReleases; // ups that must go out on their own before it
    DWORD sequence;      // SEQUENCE_*
    int wheel;           // the report's own wheel steps
};

// The up flags that release the given down flags.
DWORD UpsFor(DWORD downs) { return (downs & DOWN_FLAGS) << 1; }

DWORD Normalise(int pixel, int pixels) { return pixels > 0 ? (DWORD)((pixel * 65535) / pixels) : 0; }

int ScaleAxis(int counts, int speed, int& remainder)
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
int Clamp(int value, int limit, int& remainder)
{
    if (value < 0 || value > limit) {
        remainder = 0;
        return value < 0 ? 0 : limit;
    }
    return value;
}

// Scale: the pointer moved by the report's counts at the current speed, held to the
// screen as it is now measured.
void MovePointer(PointerState& pointer, int dx, int dy)
{
    int speed = AppSettings().Speed;
    if (speed != pointer.remainderSpeed) {
        pointer.remainderX = pointer.remainderY = 0; // a remainder of another speed means nothing here
        pointer.remainderSpeed = speed;
    }
    pointer.x = Clamp(pointer.x + ScaleAxis(dx, speed, pointer.remainderX), g_screen.width, pointer.remainderX);
    pointer.y = Clamp(pointer.y + ScaleAxis(dy, speed, pointer.remainderY), g_screen.height, pointer.remainderY);
}

// The first physical button pressed in the report; -1 when none is.
int PressedButton(DWORD buttons)
{
    for (int i = 0; i < PHYSICAL_BUTTONS; ++i)
        if (buttons & kButtons[i].downBit)
            return i;
    return -1;
}

// The releases of the report: each sends the ups of what its own press sent. A release
// without such a press (a button pressed before this instance started, say) passes
// its own up flag through, so that a button held in the system is let go. A button
// pressed and released within this report is released with what this press sends.
DWORD TakeReleases(PointerState& pointer, DWORD buttons, int pressed)
{
    DWORD releases = 0;
    for (int i = 0; i < PHYSICAL_BUTTONS; ++i)
        if (buttons & kButtons[i].upBit) {
            if (pointer.held[i].pressed)
                releases |= UpsFor(pointer.held[i].downs);
            else if (i != pressed)
                releases |= kButtons[i].upBit;
            pointer.held[i] = HeldButton();
        }
    return releases;
}

// Decide: the press and the wheel steps through their actions, and what the press
// holds until its release.
PointerEvent Decide(PointerState& pointer, DWORD report, DWORD buttons, bool moved)
{
    PointerEvent event = {};
    event.nx = Normalise(pointer.x, g_screen.width);
    event.ny = Normalise(pointer.y, g_screen.height);
    event.wheel = MouseReportWheel(report);
    event.flags = moved ? MOUSEEVENTF_MOVE : 0;
    event.sequence = SEQUENCE_NONE;

    int pressed = PressedButton(buttons);
    DWORD releases = TakeReleases(pointer, buttons, pressed);
    DWORD actions = 0;
    if (pressed >= 0)
        DoAction(kButtons[pressed].input, actions, event.sequence);
    else
        event.flags |= buttons & ~(DWORD)BUTTON_FLAGS; // other bits pass through untouched
    DWORD pressDowns = actions & DOWN_FLAGS;
    if (event.wheel > 0)
        DoAction(BUTTON_WHEEL_UP, actions, event.sequence);
    else if (event.wheel < 0)
        DoAction(BUTTON_WHEEL_DOWN, actions, event.sequence);
    // A click bound to a wheel step is a whole click: nothing releases it later.
    actions |= UpsFor((actions & DOWN_FLAGS) & ~pressDowns);
    event.flags |= actions;

    bool wholeSequence = event.sequence == SEQUENCE_DOUBLE_CLICK || event.sequence == SEQUENCE_TAP_AND_HOLD;
    if (wholeSequence)
        pressDowns = 0; // the sequence sends whole clicks of its own; the press sent nothing
    bool releasedAtOnce = pressed >= 0 && (buttons & kButtons[pressed].upBit);
    if (pressed >= 0 && !releasedAtOnce)
        pointer.held[pressed] = {true, pressDowns};
    // An earlier press released in the same event as a new press of the same flag would
    // be undone by it (downs go out before ups), so such releases go out first.
    if (releases && (wholeSequence || (releases & UpsFor(actions))))
        event.firstReleases = releases;
    else
        event.releases = releases;
    if (releasedAtOnce)
        event.releases |= UpsFor(pressDowns); // pressed and released within this one report
    return event;
}

// Emit: the event, or the timed calls of a sequence.
void Emit(const PointerEvent& event)
{
    DWORD nx = event.nx, ny = event.ny;
    if (event.firstReleases)
        mouse_event(MOUSEEVENTF_ABSOLUTE | event.firstReleases, nx, ny, 0, 0);
    switch (event.sequence) {
    case SEQUENCE_DOUBLE_CLICK:
    case SEQUENCE_TAP_AND_HOLD:
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, nx, ny, 0, 0);
        if (event.sequence == SEQUENCE_DOUBLE_CLICK) {
            Sleep(DOUBLE_CLICK_PRESS_MS);
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, nx, ny, 0, 0);
            Sleep(DOUBLE_CLICK_GAP_MS);
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, nx, ny, 0, 0);
            Sleep(DOUBLE_CLICK_PRESS_MS);
        } else {
            Sleep(TAP_AND_HOLD_MS);
        }
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, nx, ny, 0, 0);
        break;
    case SEQUENCE_SCROLL_UP:
    case SEQUENCE_SCROLL_DOWN: {
        int steps = event.wheel < 0 ? -event.wheel : event.wheel;
        if (steps == 0)
            steps = 1; // a button bound to a scroll action scrolls one step
        int data = (event.sequence == SEQUENCE_SCROLL_UP ? WHEEL_STEP : -WHEEL_STEP) * steps;
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_WHEEL | event.flags | event.releases, nx, ny, (DWORD)data, 0);
        break;
    }
    default:
        mouse_event(MOUSEEVENTF_ABSOLUTE | event.flags | event.releases, nx, ny, (DWORD)event.wheel, 0);
        break;
    }
}
} // namespace

void ResetMotionRemainder(PointerState& pointer)
{
    pointer.remainderX = pointer.remainderY = 0;
    pointer.remainderSpeed = -1;
}

void ProcessMouseReport(PointerState& pointer, DWORD report, DWORD buttons)
{
    int dx = MouseReportDx(report), dy = MouseReportDy(report);
    MovePointer(pointer, dx, dy);
    Emit(Decide(pointer, report, buttons, dx || dy));
    PlaceCursor(pointer.x, pointer.y, true);
}

void ReleaseHeldButtons(PointerState& pointer)
{
    DWORD ups = 0;
    for (HeldButton& held : pointer.held) {
        ups |= UpsFor(held.downs);
        held = HeldButton();
    }
    if (ups)
        mouse_event(MOUSEEVENTF_ABSOLUTE | ups, Normalise(pointer.x, g_screen.width),
                    Normalise(pointer.y, g_screen.height), 0, 0);
}
