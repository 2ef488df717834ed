#include "Install.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>

static const wchar_t kProgramClass[] = L"MORVANE.Vantorix";
static const wchar_t kProgramExe[] = L"Pelorin.exe";

bool InstallFresh(const InstallOptions& options)
{
    StopInstalledProgram();
    std::wstring error;
    bool ok = InstallProduct(options, &error);
    if (!ok)
        ADD_FAILURE() << "installation failed: " << ToUtf8(error);
    return ok;
}

std::wstring InstalledFile(const wchar_t* folder, const wchar_t* file)
{
    std::wstring path = kInstallFolder;
    if (folder && *folder)
        path += std::wstring(L"\\") + folder;
    return path + L"\\" + file;
}

HANDLE StartInstalledProgram(const std::wstring& arguments, DWORD* processId)
{
    return StartProgram(InstalledFile(nullptr, kProgramExe), arguments, processId);
}

static void TerminateByName(const wchar_t* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

void StopInstalledProgram(DWORD timeoutMs)
{
    HWND window = FindWindowW(kProgramClass, nullptr);
    if (window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD start = GetTickCount();
        while (IsWindow(window) && GetTickCount() - start < timeoutMs)
            Sleep(20);
    }
    // Whatever did not close (or has no window yet) is ended outright.
    TerminateByName(kProgramExe);
}
