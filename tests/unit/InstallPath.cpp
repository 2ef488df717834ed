// Joining data-file paths below the install path.
#include <gtest/gtest.h>
#include <string>
#include "AppKey.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/InstallPath.h"

namespace {

struct InstallPathJoin : ::testing::Test {
    void SetUp() override
    {
        DeleteAppKey();
        ClearInstallPathCache();
    }
    void TearDown() override
    {
        g_debugEnabled = 0;
        DeleteAppKey();
    }
};

TEST_F(InstallPathJoin, AbsentInstallPathStartsAtTheRootAndIsAskedForAgain)
{
    EXPECT_STREQ(L"\\images\\cursors_f1.jpg", GetInstallFilePath(L"images", L"cursors_f1.jpg"));
    SetText(kInstallPathValue, L"\\Program Files\\Vantorix");
    EXPECT_STREQ(L"\\Program Files\\Vantorix\\images\\cursors_f1.jpg", GetInstallFilePath(L"images", L"cursors_f1.jpg"));
}

TEST_F(InstallPathJoin, InstallPathIsReadOncePerProcess)
{
    SetText(kInstallPathValue, L"\\A");
    EXPECT_STREQ(L"\\A\\help\\help.html", GetInstallFilePath(L"help", L"help.html"));
    SetText(kInstallPathValue, L"\\B");
    EXPECT_STREQ(L"\\A\\help\\help.html", GetInstallFilePath(L"help", L"help.html"));
}

TEST_F(InstallPathJoin, EitherKindOfTextIsTakenAsItIsAndOtherTypesAreRefused)
{
    // %WINDIR% is set here; the device has no environment to expand it with.
    const std::wstring folder = L"\\%WINDIR%\\Vantorix";
    const struct { DWORD type; const wchar_t* joined; } rows[] = {
        {REG_SZ, L"\\%WINDIR%\\Vantorix\\help\\help.html"},
        {REG_EXPAND_SZ, L"\\%WINDIR%\\Vantorix\\help\\help.html"},
        {REG_MULTI_SZ, L"\\help\\help.html"},
        {REG_BINARY, L"\\help\\help.html"},
    };
    for (const auto& row : rows) {
        ClearInstallPathCache();
        SetRaw(kInstallPathValue, row.type, folder.c_str(), (DWORD)(folder.size() + 1) * sizeof(wchar_t));
        EXPECT_STREQ(row.joined, GetInstallFilePath(L"help", L"help.html")) << "type " << row.type;
    }
}

TEST_F(InstallPathJoin, EmptyFolderKeepsBothSeparators)
{
    SetText(kInstallPathValue, L"\\Program Files\\Vantorix");
    EXPECT_STREQ(L"\\Program Files\\Vantorix\\\\soundkb.wav", GetInstallFilePath(L"", L"soundkb.wav"));
}

// Refused with the debug log on, so that the refusal writes its line as it goes.
TEST_F(InstallPathJoin, OverlongJoinGivesNoPath)
{
    g_debugEnabled = 1;
    SetText(kInstallPathValue, L"\\" + std::wstring(250, L'p'));
    std::wstring fits = std::wstring(L"\\") + std::wstring(250, L'p') + L"\\a\\b";
    EXPECT_EQ(fits, GetInstallFilePath(L"a", L"b")) << "257 characters still fit";
    EXPECT_STREQ(L"", GetInstallFilePath(L"images", L"cursors_f1.jpg")) << "a cut path was given";
    EXPECT_EQ(fits, GetInstallFilePath(L"a", L"b")) << "the refusal spoilt the next join";
}

} // namespace
