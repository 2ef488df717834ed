#include "core/InstallPath.h"
#include "ScopedWin.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/Registry.h"
#include "protocol/InstallContract.h"

static WCHAR s_installPath[TEXT_CHARS]; // read once per process; empty until found
static WCHAR s_joined[TEXT_CHARS];

void ClearInstallPathCache() { s_installPath[0] = 0; }

static void LoadInstallPath(const WCHAR* keyPath)
{
    ScopedRegKey key = CreateRegKey(keyPath);
    if (!key)
        return;
    // An installer may write the path as an expandable text; the device has no
    // environment to expand it with, so either kind of text is used as it is.
    DWORD type = 0, bytes = sizeof s_installPath;
    if (RegQueryValueExW(key, kInstallPathValue, nullptr, &type, (BYTE*)s_installPath, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        bytes = 0;
    DWORD end = bytes / sizeof(WCHAR);
    s_installPath[end < TEXT_CHARS ? end : TEXT_CHARS - 1] = 0;
}

const WCHAR* GetInstallFilePath(const WCHAR* keyPath, const WCHAR* folder, const WCHAR* fileName)
{
    if (s_installPath[0] == 0)
        LoadInstallPath(keyPath);

    // An empty folder gives two separators in a row; they are kept as they are.
    if (!FormatText(s_joined, TEXT_CHARS, L"%s\\%s\\%s", s_installPath, folder, fileName)) {
        s_joined[0] = 0;
        DebugLog(L"GetInstallFilePath: path too long for [%s]", fileName);
    }
    return s_joined;
}

const WCHAR* GetInstallFilePath(const WCHAR* folder, const WCHAR* fileName)
{
    return GetInstallFilePath(kProgramKeyPath, folder, fileName);
}
