// The settings record and its persistence in the program's registry key.
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

// Reads every setting; a value that is absent or refused leaves its field as it was. Always 1.
int LoadSettings(SettingsRecord& settings);
// Writes every setting but BacklightTimeout and flushes. 1 plus the number of failed writes.
int SaveSettings(const SettingsRecord& settings);

// A button's action and texts as one whole. The settings window changes them on the
// main thread while the listener may be carrying out that button's action: the
// listener reads each entry as it was before a change or as it is after it, never
// half of each, and never waits for the main thread.
// SetButtonEntry (main thread) changes the record's entry and publishes it;
// LoadSettings publishes every entry. ReadButtonEntry copies the published entry
// (one reading thread at a time: the listener).
void SetButtonEntry(SettingsRecord& settings, int button, const ButtonEntry& entry);
void PublishButtonEntries(const SettingsRecord& settings);
void ReadButtonEntry(int button, ButtonEntry& entry);

// The registry value name of a button's field: "Wheel Down" + "_Action" -> "Wheel_Down_Action".
void ButtonValueName(WCHAR* name, size_t nameChars, int button, const WCHAR* suffix);
