#include "PelorinTest.h"
#include <tlhelp32.h>

std::wstring InstalledFile(const wchar_t* folder, const wchar_t* file)
{
    std::wstring path = kInstallFolder;
    if (folder && *folder)
        path += std::wstring(L"\\") + folder;
    return path + L"\\" + file;
}

void StopInstalledProgram()
{
    HWND window = FindWindowW(kWindowClass, nullptr);
    if (window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindow(window); });
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = _wcsicmp(entry.szExeFile, kProgramFile) == 0
                             ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)
                             : nullptr;
        if (process) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

void PelorinTest::SetUp()
{
    Reinstall(InstallOptions());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY L"\\Tray"); // icons of programs killed earlier
}

void PelorinTest::TearDown()
{
    if (IsRunning() && !HasFailure())
        ExpectQuiet();
    StopInstalledProgram();
    if (process_)
        CloseHandle(process_);
    process_ = nullptr;
    // A test that failed half-way through turning the screen must not leave the next
    // test a turned screen.
    if (GetSystemMetrics(SM_CXSCREEN) > GetSystemMetrics(SM_CYSCREEN)) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = GetSystemMetrics(SM_CYSCREEN);
        mode.dmPelsHeight = GetSystemMetrics(SM_CXSCREEN);
        ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    }
    WriteDeviceDword(L"Orientation", 0);
}

void PelorinTest::Reinstall(const InstallOptions& options)
{
    StopInstalledProgram();
    std::wstring error;
    ASSERT_TRUE(InstallProduct(options, &error)) << "installation failed: " << ToUtf8(error);
    DeleteDebugLog();
}

bool PelorinTest::StartRunning(const std::wstring& arguments)
{
    DeleteListenerThreadId();
    process_ = StartProgram(InstalledFile(nullptr, kProgramFile), arguments, &processId_);
    if (!process_)
        return false;
    listener_ = WaitForListener(15000);
    return listener_ != 0 && MainWindow() != nullptr;
}

int PelorinTest::RunToExit(const std::wstring& arguments, DWORD timeoutMs)
{
    return RunProgram(InstalledFile(nullptr, kProgramFile), arguments, timeoutMs);
}

int PelorinTest::CloseRunning(UINT message, WPARAM wParam, DWORD timeoutMs)
{
    HWND window = MainWindow();
    if (!window || !process_)
        return -1;
    PostMessageW(window, message, wParam, 0);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_, &code);
    return (int)code;
}

bool PelorinTest::IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void PelorinTest::Script(const std::string& lines)
{
    UsbSession session = {listener_};
    std::string message;
    ASSERT_EQ(USB_OK, RunUsbScript(session, lines, &message)) << message;
}

void PelorinTest::Drain()
{
    static int marker = 900000;
    ++marker;
    ASSERT_TRUE(Post(TM_BLUETOOTH, marker, 0));
    ASSERT_TRUE(WaitForLog("TM_BLUETOOTH: " + std::to_string(marker), 10000));
}

LRESULT PelorinTest::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(MainWindow(), message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    return (LRESULT)result;
}

bool PelorinTest::WaitForLog(const std::string& prefix, DWORD timeoutMs) const
{
    return WaitUntil([&] { return !Log(prefix).empty(); }, timeoutMs);
}

double PelorinTest::ProcessorMsOver(DWORD ms) const
{
    ULONGLONG before = 0, after = 0;
    if (!processId_ || !ProcessorTime(processId_, &before))
        return -1;
    Sleep(ms);
    if (!ProcessorTime(processId_, &after))
        return -1;
    return after >= before ? (double)(after - before) / 10000.0 : 0;
}

void PelorinTest::ExpectQuiet() const
{
    // Half a second twice: the first may still hold the end of the test's last action
    // (a repaint, a window closing); a thread that keeps working shows in both. A
    // busy machine slows the program's work but does not add to it.
    const DWORD kWindowMs = 500;
    const double kBoundMs = 100;
    double first = ProcessorMsOver(kWindowMs);
    ASSERT_GE(first, 0) << "the program's processor time cannot be read";
    if (first <= kBoundMs)
        return;
    double second = ProcessorMsOver(kWindowMs);
    EXPECT_LE(second, kBoundMs) << "the program kept working after the test's last action: " << first << " ms, then "
                                << second << " ms of processor time in " << kWindowMs << " ms";
}
