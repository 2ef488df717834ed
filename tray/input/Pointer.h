// The pointer as the listener keeps it between mouse reports. Only the listener
// thread touches it; the cursor learns of its position through PlaceCursor.
#pragma once
#include <windows.h>

// A press of one physical button that this program handled and whose release has not
// come yet, with the down flags it sent (none for a sequence or a device action).
struct HeldButton {
    bool pressed;
    DWORD downs;
};

enum { PHYSICAL_BUTTONS = 3 }; // left, right, middle, in the order their presses are tried

struct PointerState {
    bool connected;               // the driver reported the mouse attached
    int x, y;                     // screen pixels: 0..width, 0..height
    int remainderX, remainderY;   // movement below a pixel at slow speeds, carried per axis
    int remainderSpeed = -1;      // the speed the remainders were taken at; -1: none
    HeldButton held[PHYSICAL_BUTTONS];
};
