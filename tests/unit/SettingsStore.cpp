// The settings record's round trip through the real registry.
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include "AppKey.h"
#include "ce_device_api.h"
#include "core/PublishedButtons.h"
#include "core/Registry.h"
#include "core/Settings.h"

namespace {

struct SettingsStore : ::testing::Test {
    void SetUp() override { DeleteAppKey(); }
    void TearDown() override
    {
        CeSetRegistryWritable(TRUE);
        DeleteAppKey();
    }
};

TEST_F(SettingsStore, NoKeyLeavesEveryFieldZeroAndFirstSaveWritesAllButTheTimeout)
{
    SettingsRecord s = {};
    EXPECT_EQ(1, LoadSettings(s));
    SettingsRecord zero = {};
    EXPECT_EQ(0, memcmp(&s, &zero, sizeof s)) << "an absent value must leave its field as it was";

    EXPECT_EQ(1, SaveSettings(s));
    const wchar_t* dwords[] = {L"Enable_Tray", L"Enable_Autostart", L"Enable_Mouse", L"Enable_KB",
                               L"Speed",       L"Cursor",           L"KBSounds"};
    for (const wchar_t* name : dwords)
        EXPECT_EQ(0u, GetDword(name)) << name;
    EXPECT_FALSE(HasValue(L"BacklightTimeout")) << "the program never writes BacklightTimeout";
    for (const wchar_t* stem : {L"Left_Button", L"Middle_Button", L"Right_Button", L"Wheel_Up", L"Wheel_Down"}) {
        std::wstring base(stem);
        EXPECT_EQ(0u, GetDword((base + L"_Action").c_str()));
        EXPECT_EQ(510u, GetValueSize((base + L"_Param1").c_str()));
        EXPECT_EQ(510u, GetValueSize((base + L"_Param2").c_str()));
    }
}

TEST_F(SettingsStore, EveryValueRoundTrips)
{
    SettingsRecord out = {};
    out.Enable_Tray = 1;
    out.Enable_Autostart = 1;
    out.Enable_Mouse = 1;
    out.Enable_KB = 1;
    out.Speed = 7;
    out.Cursor = 9;
    out.KBSounds = 1;
    for (int b = 0; b < BUTTON_COUNT; ++b) {
        out.Buttons[b].Action = 10 + b;
        swprintf(out.Buttons[b].Param1, PARAM_CHARS, L"\\windows\\prog%d.exe", b);
        swprintf(out.Buttons[b].Param2, PARAM_CHARS, L"-arg %d 100%%", b);
    }
    SetDword(L"BacklightTimeout", 45000);
    EXPECT_EQ(1, SaveSettings(out));

    SettingsRecord in = {};
    LoadSettings(in);
    EXPECT_EQ(45000u, in.BacklightTimeout);
    in.BacklightTimeout = 0;
    EXPECT_EQ(0, memcmp(&in, &out, sizeof in));

    // The fifth input's values carry its name with the blank turned into an underscore.
    EXPECT_EQ(14u, GetDword(L"Wheel_Down_Action"));
    EXPECT_EQ(L"\\windows\\prog4.exe", GetText(L"Wheel_Down_Param1"));
    EXPECT_EQ(L"-arg 4 100%", GetText(L"Wheel_Down_Param2"));
}

// What a new installation stores, and what the program makes of it.
TEST_F(SettingsStore, ANewInstallationStartsWithTheUsualSettings)
{
    InstallOptions options;
    options.copyFiles = false;
    ASSERT_TRUE(InstallProduct(options));
    const std::pair<const wchar_t*, DWORD> dwords[] = {
        {L"Enable_Tray", 1},        {L"Enable_Autostart", 0},     {L"Enable_Mouse", 1},
        {L"Enable_KB", 1},          {L"Speed", 3},                {L"Cursor", 0},
        {L"KBSounds", 1},           {L"BacklightTimeout", 30000}, {L"Left_Button_Action", 0},
        {L"Middle_Button_Action", 1}, {L"Right_Button_Action", 2}, {L"Wheel_Up_Action", 4},
        {L"Wheel_Down_Action", 5},
    };
    for (const auto& [name, value] : dwords)
        EXPECT_EQ(value, GetDword(name)) << name;
    for (const wchar_t* stem : {L"Left_Button", L"Middle_Button", L"Right_Button", L"Wheel_Up", L"Wheel_Down"}) {
        std::wstring base(stem);
        EXPECT_EQ(2u, GetValueSize((base + L"_Param1").c_str())) << "an empty text";
        EXPECT_EQ(2u, GetValueSize((base + L"_Param2").c_str()));
    }

    SettingsRecord s = {};
    LoadSettings(s);
    EXPECT_EQ(1, s.Enable_Mouse);
    EXPECT_EQ(3, s.Speed);
    EXPECT_EQ(30000u, s.BacklightTimeout);
    EXPECT_EQ(ACTION_SCROLL_DOWN, s.Buttons[BUTTON_WHEEL_DOWN].Action);
}

TEST_F(SettingsStore, RefusedValuesLeaveTheirFieldsUntouched)
{
    SetText(L"Enable_Mouse", L"1");          // a text under a number's name
    SetRaw(L"Speed", REG_BINARY, "\x05\0\0\0", 4); // right size, wrong type
    std::wstring long256(255, L'x');         // 255 characters + terminator = 512 bytes
    SetText(L"Left_Button_Param1", long256);
    std::wstring fits(254, L'y');            // 510 bytes: what the program itself writes
    SetText(L"Left_Button_Param2", fits);

    SettingsRecord s = {};
    s.Enable_Mouse = 7;
    s.Speed = 3;
    wcscpy(s.Buttons[0].Param1, L"keep");
    LoadSettings(s);
    EXPECT_EQ(7, s.Enable_Mouse);
    EXPECT_EQ(3, s.Speed);
    EXPECT_STREQ(L"keep", s.Buttons[0].Param1) << "a 512-byte parameter is refused";
    EXPECT_EQ(fits, s.Buttons[0].Param2);
}

TEST_F(SettingsStore, NumberOfAnotherSizeIsRefusedLikeAnotherType)
{
    // Two bytes taken into a 4-byte field would leave its upper half as it was.
    for (DWORD bytes : {0u, 2u, 3u, 8u}) {
        SetRaw(L"Wheel_Down_Action", REG_DWORD, "\x0B\x0B\x0B\x0B\x0B\x0B\x0B\x0B", bytes);
        SettingsRecord s = {};
        s.Buttons[4].Action = 5;
        LoadSettings(s);
        EXPECT_EQ(5, s.Buttons[4].Action) << "a REG_DWORD of " << bytes << " bytes";
    }
}

TEST_F(SettingsStore, TextFillingTheBufferWithoutTerminatorIsStillTerminated)
{
    std::wstring full(255, L'z'); // 510 bytes, no terminator stored
    SetRaw(L"Middle_Button_Param1", REG_SZ, full.data(), 510);
    struct {
        WCHAR param[PARAM_CHARS];
        WCHAR guard[4];
    } buffer;
    wcscpy(buffer.param, L"previous");
    wmemset(buffer.guard, L'G', 4);
    // Either the text is taken, cut to leave room for its terminator, or it is
    // refused and the field keeps its earlier, terminated content.
    if (ReadRegValue(L"Middle_Button_Param1", REG_SZ, buffer.param, sizeof buffer.param))
        EXPECT_EQ(std::wstring(254, L'z'), buffer.param);
    else
        EXPECT_STREQ(L"previous", buffer.param);
    EXPECT_EQ(L'G', buffer.guard[0]) << "nothing is written past the buffer";

    std::wstring shorter(100, L's'); // unterminated, with room to spare
    SetRaw(L"Middle_Button_Param2", REG_SZ, shorter.data(), 200);
    wmemset(buffer.param, L'Q', PARAM_CHARS);
    ASSERT_EQ(1, ReadRegValue(L"Middle_Button_Param2", REG_SZ, buffer.param, sizeof buffer.param));
    EXPECT_EQ(shorter, buffer.param);
}

TEST_F(SettingsStore, SavedParameterIsTheWholeFieldWithZerosAfterTheText)
{
    SettingsRecord s = {};
    wmemset(s.Buttons[2].Param1, L'o', PARAM_CHARS - 1); // an earlier, longer text
    wcscpy(s.Buttons[2].Param1, L"new");                 // rewritten in place
    SaveSettings(s);

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, KEY_READ, &key));
    WCHAR stored[PARAM_CHARS + 8] = {};
    DWORD bytes = sizeof stored, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Right_Button_Param1", nullptr, &type, (BYTE*)stored, &bytes));
    RegCloseKey(key);
    EXPECT_EQ(510u, bytes);
    EXPECT_STREQ(L"new", stored);
    for (int i = 3; i < PARAM_CHARS; ++i)
        ASSERT_EQ(0, stored[i]) << "stale text at character " << i;
}

TEST_F(SettingsStore, UnwritableRegistryCountsEveryFailedWrite)
{
    SettingsRecord s = {};
    CeSetRegistryWritable(FALSE);
    EXPECT_EQ(23, SaveSettings(s)) << "1 plus the 22 values that could not be written";
    CeSetRegistryWritable(TRUE);
    EXPECT_FALSE(HasValue(L"Enable_Tray"));
}

TEST_F(SettingsStore, BothSpellingsOfTheKeyPathNameTheSameKey)
{
    DWORD one = 1, read = 0;
    EXPECT_EQ(1, WriteRegValue(L"\\Software\\Morvane\\Vantorix", L"Probe", REG_DWORD, &one, 4));
    EXPECT_EQ(1, ReadRegValue(L"Software\\Morvane\\Vantorix", L"Probe", REG_DWORD, &read, 4));
    EXPECT_EQ(1u, read);
    EXPECT_EQ(1u, GetDword(L"Probe"));
    EXPECT_EQ(0, ReadRegValue(L"\\Software\\Morvane\\Nowhere", L"Probe", REG_DWORD, &read, 4));
}

// The settings window changes a button while the listener may be carrying out its
// action: the listener must see the entry whole, before or after the change, never
// half of each, and without waiting for the main thread.
TEST(ButtonEntries, AReaderSeesEachEntryWholeWhileItIsRewritten)
{
    ButtonEntry program = {ACTION_OPEN_PROGRAM, {}, {}}, applet = {ACTION_OPEN_APPLET, {}, {}};
    wmemset(program.Param1, L'p', PARAM_CHARS - 1);
    wmemset(applet.Param1, L'a', PARAM_CHARS - 1);
    wcscpy(program.Param2, L"-program");
    wcscpy(applet.Param2, L"-applet");
    SettingsRecord settings = {};
    SetButtonEntry(settings, BUTTON_MIDDLE, program);

    volatile bool writing = true;
    std::thread writer([&] {
        for (int i = 0; i < 200000; ++i)
            SetButtonEntry(settings, BUTTON_MIDDLE, i % 2 ? program : applet);
        writing = false;
    });
    int torn = 0, reads = 0;
    while (writing || reads < 1000) {
        ButtonEntry seen;
        ReadButtonEntry(BUTTON_MIDDLE, seen);
        const ButtonEntry& expected = seen.Action == ACTION_OPEN_PROGRAM ? program : applet;
        torn += memcmp(&seen, &expected, sizeof seen) != 0;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(0, torn) << "of " << reads << " reads";
}

} // namespace
