// Where the device programs and staged files are, seen from inside Wine.
#include "DeviceKit.h"
#include "ce_device_api.h"

#ifndef DEVICEKIT_BIN_DIR
#define DEVICEKIT_BIN_DIR ""
#endif
#ifndef DEVICEKIT_STAGE_DIR
#define DEVICEKIT_STAGE_DIR ""
#endif
#ifndef DEVICEKIT_WINDOWS_STAGE_DIR
#define DEVICEKIT_WINDOWS_STAGE_DIR ""
#endif

std::wstring HostPathToWindows(const char* unixPath)
{
    std::wstring result = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        result += *p == '/' ? L'\\' : (wchar_t)(unsigned char)*p;
    return result;
}

static bool IsFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

std::wstring DeviceBinDirectory()
{
    // The build's own folder first; then relative to this executable: tests live in
    // build/tests, device programs in build/device-bin.
    std::wstring built = HostPathToWindows(DEVICEKIT_BIN_DIR);
    if (DEVICEKIT_BIN_DIR[0] && IsFolder(built))
        return built;
    std::wstring own = OwnFolder();
    if (IsFolder(own + L"\\..\\device-bin"))
        return own + L"\\..\\device-bin";
    return own;
}

std::wstring DeviceProgramPath(const wchar_t* exeName) { return DeviceBinDirectory() + L"\\" + exeName; }

std::wstring StageDirectory()
{
    std::wstring built = HostPathToWindows(DEVICEKIT_STAGE_DIR);
    if (DEVICEKIT_STAGE_DIR[0] && IsFolder(built))
        return built;
    return OwnFolder() + L"\\..\\stage";
}

std::wstring WindowsStageDirectory()
{
    std::wstring built = HostPathToWindows(DEVICEKIT_WINDOWS_STAGE_DIR);
    if (DEVICEKIT_WINDOWS_STAGE_DIR[0] && IsFolder(built))
        return built;
    return OwnFolder() + L"\\..\\stage-windows";
}

int ScreenScaleY() { return GetSystemMetrics(SM_CYSCREEN) >= 480 ? 2 : 1; }

int TopBarHeight() { return CeTopBarHeightFor(GetSystemMetrics(SM_CYSCREEN)); }

std::wstring NewScratchFile(const wchar_t* prefix)
{
    static LONG counter;
    CreateDirectoryW(L"C:\\emulated", nullptr);
    return L"C:\\emulated\\" + std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter)) + L".txt";
}
