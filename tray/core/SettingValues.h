// The settings record as it is stored: one row a value of the program's key, in the
// order the values are read and written. Loading, saving and a new installation's
// first settings all follow this table.
#pragma once
#include <windows.h>
#include <stddef.h>
#include "core/SettingsRecord.h"
#include "protocol/InstallContract.h"

struct SettingValue {
    const WCHAR* name; // the value's name in the program's key
    DWORD type;        // REG_DWORD or REG_SZ
    size_t offset;     // where its field stands in SettingsRecord
    DWORD bytes;       // the field's size: the most that is read, and what is written
    DWORD installed;   // what a new installation starts with (a text: empty)
    DWORD low, high;   // the numbers the program offers; one stored outside them is read as it is
    bool saved;        // written back by the program; false: written by the installation alone
};

constexpr SettingValue NumberSetting(const WCHAR* name, size_t offset, DWORD installed, DWORD low, DWORD high)
{
    return {name, REG_DWORD, offset, sizeof(DWORD), installed, low, high, true};
}
// A number only the installation writes; the program reads it.
constexpr SettingValue InstalledNumber(const WCHAR* name, size_t offset, DWORD installed, DWORD low, DWORD high)
{
    return {name, REG_DWORD, offset, sizeof(DWORD), installed, low, high, false};
}
constexpr size_t ButtonField(int button, size_t offsetInEntry)
{
    return offsetof(SettingsRecord, Buttons) + button * sizeof(ButtonEntry) + offsetInEntry;
}
constexpr SettingValue ActionOf(int button, DWORD installed)
{
    return NumberSetting(kButtonValueNames[button].action, ButtonField(button, offsetof(ButtonEntry, Action)),
                         installed, 0, ACTION_COUNT - 1);
}
// A text is written as its whole field, so that it always fits the field it is read
// back into.
constexpr SettingValue TextSetting(const WCHAR* name, size_t offset, DWORD bytes)
{
    return {name, REG_SZ, offset, bytes, 0, 0, 0, true};
}
constexpr SettingValue Param1Of(int button)
{
    return TextSetting(kButtonValueNames[button].param1, ButtonField(button, offsetof(ButtonEntry, Param1)),
                       sizeof(ButtonEntry::Param1));
}
constexpr SettingValue Param2Of(int button)
{
    return TextSetting(kButtonValueNames[button].param2, ButtonField(button, offsetof(ButtonEntry, Param2)),
                       sizeof(ButtonEntry::Param2));
}

constexpr SettingValue kSettingValues[] = {
    NumberSetting(kEnableTrayValue, offsetof(SettingsRecord, Enable_Tray), 1, 0, 1),
    NumberSetting(kEnableAutostartValue, offsetof(SettingsRecord, Enable_Autostart), 0, 0, 1),
    InstalledNumber(kBacklightTimeoutValue, offsetof(SettingsRecord, BacklightTimeout), 30000, 0, MAXDWORD),
    NumberSetting(kEnableMouseValue, offsetof(SettingsRecord, Enable_Mouse), 1, 0, 1),
    NumberSetting(kEnableKBValue, offsetof(SettingsRecord, Enable_KB), 1, 0, 1),
    NumberSetting(kSpeedValue, offsetof(SettingsRecord, Speed), 3 /* "1X" */, 0, SPEED_COUNT - 1),
    NumberSetting(kCursorValue, offsetof(SettingsRecord, Cursor), 0, 0, CURSOR_SHAPE_COUNT - 1),
    // Each mouse input's action (a new installation's in the row) and its two texts.
    ActionOf(BUTTON_LEFT, ACTION_LEFT_CLICK), Param1Of(BUTTON_LEFT), Param2Of(BUTTON_LEFT),
    ActionOf(BUTTON_MIDDLE, ACTION_MIDDLE_CLICK), Param1Of(BUTTON_MIDDLE), Param2Of(BUTTON_MIDDLE),
    ActionOf(BUTTON_RIGHT, ACTION_RIGHT_CLICK), Param1Of(BUTTON_RIGHT), Param2Of(BUTTON_RIGHT),
    ActionOf(BUTTON_WHEEL_UP, ACTION_SCROLL_UP), Param1Of(BUTTON_WHEEL_UP), Param2Of(BUTTON_WHEEL_UP),
    ActionOf(BUTTON_WHEEL_DOWN, ACTION_SCROLL_DOWN), Param1Of(BUTTON_WHEEL_DOWN), Param2Of(BUTTON_WHEEL_DOWN),
    NumberSetting(kKBSoundsValue, offsetof(SettingsRecord, KBSounds), 1, 0, 1),
};

static_assert(ARRAYSIZE(kButtonValueNames) == BUTTON_COUNT, "three values for each mouse input");

constexpr bool InstalledWithinBounds()
{
    for (const SettingValue& value : kSettingValues)
        if (value.type == REG_DWORD && (value.installed < value.low || value.installed > value.high))
            return false;
    return true;
}
static_assert(InstalledWithinBounds(), "a new installation starts with numbers the program offers");
