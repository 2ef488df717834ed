// The button table as the listener reads it, apart from the record the settings
// window writes.
#pragma once
#include <windows.h>
#include "core/SettingsRecord.h"

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
