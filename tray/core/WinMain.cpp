#include "AppState.h"
#include "DebugLog.h"
#include "Registry.h"
#include "Settings.h"

static SettingsRecord s_settings;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    g_instance = instance;
    ReadRegValue(L"EnableDebug", REG_DWORD, &g_debugEnabled, sizeof g_debugEnabled);
    LoadSettings(s_settings);
    DebugLog(L"Command line [%s]", commandLine);
    return 0;
}
