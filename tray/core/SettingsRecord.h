// The settings record: what the user chose, held by the settings window and read by
// the workers.
#pragma once
#include <windows.h>
#include "core/SettingsTables.h"

enum { PARAM_CHARS = 255 }; // 510 bytes, terminator included

struct ButtonEntry {
    int Action;               // position in kActionNames
    WCHAR Param1[PARAM_CHARS];
    WCHAR Param2[PARAM_CHARS];
};

// One instance, held by the GUI object, zero at start. Every 32-bit field is
// written whole by the main thread and read without a lock by the workers.
struct SettingsRecord {
    int Enable_Tray;
    int Enable_Autostart;
    DWORD BacklightTimeout; // milliseconds; never written by the program
    int Enable_Mouse;
    int Enable_KB;
    int Cursor;
    int Speed;
    ButtonEntry Buttons[BUTTON_COUNT];
    int KBSounds;
};

// The program's one settings record (held by the settings window's object). The
// workers read it through this accessor, whole 32-bit fields without a lock.
SettingsRecord& AppSettings();
