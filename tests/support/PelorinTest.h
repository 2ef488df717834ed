// Base fixture of the system tests: a fresh installation, no program running, an
// empty debug log; helpers to start the real Pelorin.exe, post to its listener as
// the driver does, and end it.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "AppKey.h"
#include "DebugLogFile.h"
#include "DeviceKit.h"
#include "DriverProtocol.h"
#include "Sequence.h"
#include "WaitUntil.h"

// C:\Program Files\Vantorix\FOLDER\FILE (FOLDER may be empty).
std::wstring InstalledFile(const wchar_t* folder, const wchar_t* file);

// Every copy of the program ends: through its window first, then by force.
void StopInstalledProgram();

class PelorinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs again with other options (SetUp installs with the defaults).
    void Reinstall(const InstallOptions& options);

    // Starts Pelorin.exe with `arguments` and waits until its listener is published.
    // The process handle stays with the fixture.
    bool StartRunning(const std::wstring& arguments = kProgramArgument);
    // Starts it and waits for it to end by itself; its exit code, or -1.
    int RunToExit(const std::wstring& arguments, DWORD timeoutMs = 20000);
    // Ends the running program through its window; its exit code, or -1.
    int CloseRunning(UINT message = WM_CLOSE, WPARAM wParam = 0, DWORD timeoutMs = 15000);
    bool IsRunning() const;

    HWND MainWindow() const { return FindWindowW(kWindowClass, kWindowTitle); }
    DWORD Listener() const { return listener_; }
    // Posts a driver message to the running program's listener; false when it is gone.
    bool Post(UINT message, WPARAM wParam, LPARAM lParam) { return PostDriver(listener_, message, wParam, lParam); }
    // Posts what the driver simulator's script lines say (see DeviceKit.h) from this process.
    void Script(const std::string& lines);
    // Waits until the listener has handled everything posted so far: a Bluetooth
    // notice with a number of its own is logged when its turn comes.
    void Drain();
    // Sends the window a message as another program would, and waits for it to be handled.
    LRESULT SendToWindow(UINT message, WPARAM wParam, LPARAM lParam);
    // The debug log's messages (time stamps taken off), or those starting with `prefix`.
    std::vector<std::string> Log(const std::string& prefix = "") const { return Starting(ReadDebugLogMessages(), prefix); }
    // Waits until the log holds a message starting with `prefix`.
    bool WaitForLog(const std::string& prefix, DWORD timeoutMs = 5000) const;
    // The running program's processor time, user and kernel, over the next `ms`; -1
    // when it cannot be read.
    double ProcessorMsOver(DWORD ms) const;
    // Between the moments a test looks the program must be idle: with nothing coming,
    // no thread of it may keep a processor busy. Checked after every test's last
    // action while the program still runs.
    void ExpectQuiet() const;

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD listener_ = 0;
};
