#include "core/Settings.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/PublishedButtons.h"
#include "core/Registry.h"
#include "core/SettingValues.h"
#include "protocol/InstallContract.h"

static BYTE* FieldOf(SettingsRecord& s, const SettingValue& value) { return (BYTE*)&s + value.offset; }
static const BYTE* FieldOf(const SettingsRecord& s, const SettingValue& value)
{
    return (const BYTE*)&s + value.offset;
}

int LoadSettings(SettingsRecord& s)
{
    // An absent or refused value leaves its field as it was.
    ScopedRegKey key = OpenRegKey(kProgramKeyPath);
    for (const SettingValue& value : kSettingValues)
        ReadKeyValue(key, value.name, value.type, FieldOf(s, value), value.bytes);
    PublishButtonEntries(s);

    DebugLog(L"LoadSettings Enable_Tray=%d Enable_Autostart=%d Enable_Mouse=%d Enable_KB=%d Speed=%d Cursor=%d "
             L"KBSounds=%d",
             s.Enable_Tray, s.Enable_Autostart, s.Enable_Mouse, s.Enable_KB, s.Speed, s.Cursor, s.KBSounds);
    return 1;
}

enum { TEXT_FIELD_CHARS = PARAM_CHARS }; // the longest text setting: a parameter

constexpr bool TextsFitTheFieldBuffer()
{
    for (const SettingValue& value : kSettingValues)
        if (value.type == REG_SZ && value.bytes > TEXT_FIELD_CHARS * sizeof(WCHAR))
            return false;
    return true;
}
static_assert(TextsFitTheFieldBuffer(), "a text is composed in a buffer of the longest text's size");

// A text goes out as its whole field, so that older readers keep accepting it; the
// bytes after its terminator are zeros, never stale text.
static int WriteSetting(HKEY key, const SettingValue& value, const SettingsRecord& s)
{
    if (value.type != REG_SZ)
        return WriteKeyValue(key, value.name, value.type, FieldOf(s, value), value.bytes);
    WCHAR field[TEXT_FIELD_CHARS] = {};
    CopyText(field, value.bytes / sizeof(WCHAR), (const WCHAR*)FieldOf(s, value));
    return WriteKeyValue(key, value.name, REG_SZ, field, value.bytes);
}

int SaveSettings(const SettingsRecord& s)
{
    DebugLog(L"SaveSettings Enable_Tray=%d Enable_Autostart=%d Enable_Mouse=%d Enable_KB=%d Speed=%d Cursor=%d "
             L"KBSounds=%d",
             s.Enable_Tray, s.Enable_Autostart, s.Enable_Mouse, s.Enable_KB, s.Speed, s.Cursor, s.KBSounds);

    // One key for every value; a key that cannot be opened fails each of them.
    ScopedRegKey key = CreateRegKey(kProgramKeyPath);
    int result = 1;
    for (const SettingValue& value : kSettingValues)
        if (value.saved)
            result += !WriteSetting(key, value, s);

    RegFlushKey(HKEY_LOCAL_MACHINE);
    return result;
}
