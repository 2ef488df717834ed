#include "core/SettingsTables.h"

const WCHAR kButtonNames[BUTTON_COUNT][BUTTON_NAME_CHARS] = {
    L"Left Button", L"Middle Button", L"Right Button", L"Wheel Up", L"Wheel Down",
};

const WCHAR kActionNames[ACTION_COUNT][ACTION_NAME_CHARS] = {
    L"Left Click",   L"Middle Click", L"Right Click",  L"Double Click",  L"Scroll Up",    L"Scroll Down",
    L"Scroll Left",  L"Scroll Right", L"Tap and Hold", L"Open Program",  L"Open Applet",  L"Close Task",
    L"Reset Device", L"Suspend",      L"Rotate Screen", L"Show Desktop", L"Switch Task",
};

const WCHAR kSpeedNames[SPEED_COUNT][SPEED_NAME_CHARS] = {
    L"0.1X", L"0.2X", L"0.5X", L"1X", L"2X", L"3X", L"4X", L"5X", L"6X", L"7X", L"8X",
};
