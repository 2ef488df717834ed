#include "PelorinTest.h"

const wchar_t kPelorinClass[] = L"MORVANE.Vantorix";
const wchar_t kPelorinTitle[] = L"Vantorix";

void PelorinTest::SetUp()
{
    StopInstalledProgram();
    ASSERT_TRUE(InstallFresh());
    DeleteDebugLog();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY L"\\Tray"); // icons of programs killed earlier
}

size_t TrayIconsKept()
{
    HKEY tray;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY L"\\Tray", 0, KEY_READ, &tray) != ERROR_SUCCESS)
        return 0;
    DWORD subkeys = 0;
    RegQueryInfoKeyW(tray, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(tray);
    return subkeys;
}

void PelorinTest::TearDown()
{
    StopInstalledProgram();
    if (process_)
        CloseHandle(process_);
    process_ = nullptr;
}

void PelorinTest::Reinstall(const InstallOptions& options)
{
    ASSERT_TRUE(InstallFresh(options));
    DeleteDebugLog();
}

bool PelorinTest::StartRunning(const std::wstring& arguments)
{
    DeleteListenerThreadId();
    process_ = StartInstalledProgram(arguments, &processId_);
    if (!process_)
        return false;
    listener_ = WaitForListener(15000);
    return listener_ != 0 && MainWindow() != nullptr;
}

int PelorinTest::RunToExit(const std::wstring& arguments, DWORD timeoutMs)
{
    HANDLE process = StartInstalledProgram(arguments);
    if (!process)
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return (int)code;
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
    return WaitUntil([&] { return FindMessage(ReadDebugLogMessages(), prefix) >= 0; }, timeoutMs);
}
