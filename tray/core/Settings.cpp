#include "core/Settings.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/PublishedButtons.h"
#include "core/Registry.h"

enum { VALUE_NAME_CHARS = 64 };

void ButtonValueName(WCHAR* name, size_t nameChars, int button, const WCHAR* suffix)
{
    WCHAR stem[BUTTON_NAME_CHARS];
    CopyText(stem, BUTTON_NAME_CHARS, kButtonNames[button]);
    for (WCHAR* c = stem; *c; ++c)
        if (*c == L' ')
            *c = L'_';
    FormatText(name, nameChars, L"%s%s", stem, suffix);
}

static void ReadDword(const WCHAR* name, void* field) { ReadRegValue(name, REG_DWORD, field, sizeof(DWORD)); }

int LoadSettings(SettingsRecord& s)
{
    ReadDword(L"Enable_Tray", &s.Enable_Tray);
    ReadDword(L"Enable_Autostart", &s.Enable_Autostart);
    ReadDword(L"BacklightTimeout", &s.BacklightTimeout);
    ReadDword(L"Enable_Mouse", &s.Enable_Mouse);
    ReadDword(L"Enable_KB", &s.Enable_KB);
    ReadDword(L"Speed", &s.Speed);
    ReadDword(L"Cursor", &s.Cursor);

    WCHAR name[VALUE_NAME_CHARS];
    for (int b = 0; b < BUTTON_COUNT; ++b) {
        ButtonEntry& entry = s.Buttons[b];
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Action");
        ReadDword(name, &entry.Action);
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Param1");
        ReadRegValue(name, REG_SZ, entry.Param1, sizeof entry.Param1);
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Param2");
        ReadRegValue(name, REG_SZ, entry.Param2, sizeof entry.Param2);
    }
    ReadDword(L"KBSounds", &s.KBSounds);
    PublishButtonEntries(s);

    DebugLog(L"LoadSettings Enable_Tray=%d Enable_Autostart=%d Enable_Mouse=%d Enable_KB=%d Speed=%d Cursor=%d "
             L"KBSounds=%d",
             s.Enable_Tray, s.Enable_Autostart, s.Enable_Mouse, s.Enable_KB, s.Speed, s.Cursor, s.KBSounds);
    return 1;
}

static int WriteDword(const WCHAR* name, int value)
{
    DWORD data = (DWORD)value;
    return WriteRegValue(name, REG_DWORD, &data, sizeof data);
}

// A parameter is always stored as its whole 510-byte field, so that older readers
// keep accepting it; the bytes after the terminator are zeros, never stale text.
static int WriteParam(const WCHAR* name, const WCHAR* text)
{
    WCHAR field[PARAM_CHARS] = {};
    CopyText(field, PARAM_CHARS, text);
    return WriteRegValue(name, REG_SZ, field, sizeof field);
}

int SaveSettings(const SettingsRecord& s)
{
    DebugLog(L"SaveSettings Enable_Tray=%d Enable_Autostart=%d Enable_Mouse=%d Enable_KB=%d Speed=%d Cursor=%d "
             L"KBSounds=%d",
             s.Enable_Tray, s.Enable_Autostart, s.Enable_Mouse, s.Enable_KB, s.Speed, s.Cursor, s.KBSounds);

    int result = 1;
    result += !WriteDword(L"Enable_Tray", s.Enable_Tray);
    result += !WriteDword(L"Enable_Autostart", s.Enable_Autostart);
    result += !WriteDword(L"Enable_Mouse", s.Enable_Mouse);
    result += !WriteDword(L"Enable_KB", s.Enable_KB);
    result += !WriteDword(L"Speed", s.Speed);
    result += !WriteDword(L"Cursor", s.Cursor);

    WCHAR name[VALUE_NAME_CHARS];
    for (int b = 0; b < BUTTON_COUNT; ++b) {
        const ButtonEntry& entry = s.Buttons[b];
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Action");
        result += !WriteDword(name, entry.Action);
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Param1");
        result += !WriteParam(name, entry.Param1);
        ButtonValueName(name, VALUE_NAME_CHARS, b, L"_Param2");
        result += !WriteParam(name, entry.Param2);
    }
    result += !WriteDword(L"KBSounds", s.KBSounds);

    RegFlushKey(HKEY_LOCAL_MACHINE);
    return result;
}
