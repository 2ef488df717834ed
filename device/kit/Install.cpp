// The installer step: the program key as a fresh installation leaves it, and the
// data files copied below the install path.
#include "DeviceKit.h"
#include <cwchar>
#include "core/SettingValues.h"

const wchar_t kInstallPath[] = L"\\Program Files\\Vantorix";
const wchar_t kInstallFolder[] = L"C:\\Program Files\\Vantorix";
const wchar_t kAppletFile[] = L"C:\\windows\\Tessar.cpl";

namespace {

struct Writer {
    HKEY key = nullptr;
    const wchar_t* failed = nullptr;

    void Dword(const wchar_t* name, DWORD value)
    {
        if (RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value) != ERROR_SUCCESS && !failed)
            failed = name;
    }
    void Text(const wchar_t* name, const wchar_t* text)
    {
        DWORD bytes = (DWORD)((wcslen(text) + 1) * sizeof(wchar_t));
        if (RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)text, bytes) != ERROR_SUCCESS && !failed)
            failed = name;
    }
};

void Fail(std::wstring* error, const std::wstring& text)
{
    if (error && error->empty())
        *error = text;
}

void DeleteTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool CopyTree(const std::wstring& from, const std::wstring& to, std::wstring* error)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        Fail(error, L"cannot read " + from);
        return false;
    }
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + L"\\" + name, to + L"\\" + name, error) && ok;
        else if (!CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE)) {
            Fail(error, L"cannot copy " + name + L" (error " + std::to_wstring(GetLastError()) + L")");
            ok = false;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

bool SameContent(const std::wstring& a, const std::wstring& b)
{
    std::string left, right;
    return ReadSharedFile(a, &left) && ReadSharedFile(b, &right) && left == right;
}

// A control panel may hold the library loaded: an unchanged file is left alone, a new
// one takes the old name by a rename instead of being written over.
bool PlaceApplet(std::wstring* error)
{
    std::wstring from = WindowsStageDirectory() + L"\\Tessar.cpl";
    if (SameContent(from, kAppletFile))
        return true;
    std::wstring fresh = std::wstring(kAppletFile) + L".new";
    if (CopyFileW(from.c_str(), fresh.c_str(), FALSE) &&
        MoveFileExW(fresh.c_str(), kAppletFile, MOVEFILE_REPLACE_EXISTING))
        return true;
    Fail(error, L"cannot place Tessar.cpl (error " + std::to_wstring(GetLastError()) + L")");
    DeleteFileW(fresh.c_str());
    return false;
}

// The settings a new user starts with, as the program's settings table gives them.
void WriteFirstSettings(Writer& w)
{
    for (const SettingValue& value : kSettingValues) {
        if (!value.saved)
            continue; // the installation's own values are written whatever the options
        if (value.type == REG_DWORD)
            w.Dword(value.name, value.installed);
        else
            w.Text(value.name, L"");
    }
}

} // namespace

DWORD InstalledSetting(const wchar_t* name)
{
    for (const SettingValue& value : kSettingValues)
        if (wcscmp(value.name, name) == 0)
            return value.installed;
    return 0;
}

bool InstallProduct(const InstallOptions& options, std::wstring* error)
{
    if (error)
        error->clear();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, APP_KEY);
    Writer w;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, APP_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &w.key, nullptr) !=
        ERROR_SUCCESS) {
        Fail(error, L"cannot create the program key");
        return false;
    }
    w.Text(kInstallPathValue, kInstallPath);
    w.Dword(kEnableDebugValue, options.enableDebug);
    w.Text(kAboutWebNameValue, L"www.morvane.example");
    w.Text(kAboutWebLinkValue, L"http://www.morvane.example/vantorix");
    w.Text(kVersionGUIValue, L"1.2.0");
    w.Text(kVersionDriverValue, L"1.1.4");
    w.Text(kDescriptionValue, L"USB mouse and keyboard for Pocket PC");
    w.Dword(kBacklightTimeoutValue, options.backlightTimeout);
    if (options.writeFirstSettings)
        WriteFirstSettings(w);
    RegFlushKey(w.key);
    RegCloseKey(w.key);
    if (w.failed) {
        Fail(error, std::wstring(L"cannot write ") + w.failed);
        return false;
    }

    if (!options.copyFiles)
        return true;
    std::wstring stage = options.stageDir.empty() ? StageDirectory() : options.stageDir;
    DWORD attributes = GetFileAttributesW(stage.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(error, L"no stage folder " + stage);
        return false;
    }
    DeleteTree(kInstallFolder);
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    bool copied = CopyTree(stage, kInstallFolder, error);
    return PlaceApplet(error) && copied;
}

void UninstallProduct()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, APP_KEY);
    DeleteTree(kInstallFolder);
    DeleteFileW(kAppletFile);
}
