// Base fixture of the system tests: a fresh installation, no program running, an
// empty debug log; helpers to start the real Pelorin.exe and end it.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "AppKey.h"
#include "DebugLogFile.h"
#include "DeviceKit.h"
#include "Install.h"

extern const wchar_t kPelorinClass[]; // "MORVANE.Vantorix"
extern const wchar_t kPelorinTitle[]; // "Vantorix"

class PelorinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs again with other options (SetUp installs with the defaults).
    void Reinstall(const InstallOptions& options);

    // Starts Pelorin.exe with `arguments` and waits until its listener is published.
    // The process handle stays with the fixture.
    bool StartRunning(const std::wstring& arguments = L"-tray");
    // Starts it and waits for it to end by itself; its exit code, or -1.
    int RunToExit(const std::wstring& arguments, DWORD timeoutMs = 20000);
    // Ends the running program through its window; its exit code, or -1.
    int CloseRunning(UINT message = WM_CLOSE, WPARAM wParam = 0, DWORD timeoutMs = 15000);
    bool IsRunning() const;

    HWND MainWindow() const { return FindWindowW(kPelorinClass, kPelorinTitle); }
    DWORD Listener() const { return listener_; }
    // Sends the window a message as another program would, and waits for it to be handled.
    LRESULT SendToWindow(UINT message, WPARAM wParam, LPARAM lParam);
    // The debug log's messages (time stamps taken off).
    std::vector<std::string> Log() const { return ReadDebugLogMessages(); }
    // Waits until the log holds a message starting with `prefix`.
    bool WaitForLog(const std::string& prefix, DWORD timeoutMs = 5000) const;

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD listener_ = 0;
};

// Icons in the emulated shell's tray, whether or not their windows still exist.
size_t TrayIconsKept();

// Polls `condition` every 10 ms until it holds or the time is up.
template <class Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}
