// The settings record's persistence in the program's registry key, as the settings
// table (core/SettingValues.h) lays it out.
#pragma once
#include <windows.h>
#include "core/SettingsRecord.h"

// Reads every setting; a value that is absent or refused leaves its field as it was. Always 1.
int LoadSettings(SettingsRecord& settings);
// Writes every setting but BacklightTimeout and flushes. 1 plus the number of failed writes.
int SaveSettings(const SettingsRecord& settings);
