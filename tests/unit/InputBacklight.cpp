// The backlight held on while input arrives and let go after the quiet time, and the
// power transitions that the notification thread logs, on the emulated device.
#include "InputTestSupport.h"
#include <pm.h>
#include "AppState.h"
#include "Backlight.h"
#include "DebugLog.h"
#include "DebugLogFile.h"
#include "GUI.h"

namespace {

class InputBacklight : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_debugEnabled = 1;
        DeleteDebugLog();
        g_terminate = 0;
        SetBacklightRequirement(0);
        CeSetDeviceState(L"BacklightHolders", 0);
        CeSetDeviceState(L"Backlight", 0);
        DeleteDebugLog();
    }
    void TearDown() override
    {
        SetBacklightRequirement(0);
        g_terminate = 0;
    }
    static DWORD Requests() { return CeGetDeviceState(L"BacklightRequests", 0); }
    static int Count(const std::vector<std::string>& log, const std::string& line)
    {
        return (int)std::count(log.begin(), log.end(), line);
    }
};

// Continuous input asks for the backlight once; the release and the next input
// ask again.
TEST_F(InputBacklight, RequirementIsTakenOnceAndGivenBack)
{
    DWORD requests = Requests();
    for (int i = 0; i < 50; ++i)
        NoteInputActivity();
    EXPECT_EQ(requests + 1, Requests());
    EXPECT_EQ(1u, CeGetDeviceState(L"Backlight", 0));
    EXPECT_EQ(1, IsBacklightHeld());

    SetBacklightRequirement(0);
    SetBacklightRequirement(0);
    EXPECT_EQ(0u, CeGetDeviceState(L"Backlight", 1));
    EXPECT_EQ(0, IsBacklightHeld());
    NoteInputActivity();
    EXPECT_EQ(requests + 2, Requests());

    std::vector<std::string> log = ReadDebugLogMessages();
    EXPECT_EQ(2, Count(log, "SetBacklightRequirement(1)"));
    EXPECT_EQ(1, Count(log, "SetBacklightRequirement(0)"));
}

// With a quiet time of T the requirement goes between T and T + 5 s after the last
// input, logged with T; a quiet time of 0 lets go at the first check.
TEST_F(InputBacklight, QuietTimeReleasesTheBacklight)
{
    const DWORD timeouts[] = {1500, 0};
    for (DWORD timeout : timeouts) {
        DeleteDebugLog();
        g_gui.BacklightTimeout = timeout;
        g_terminate = 0;
        HANDLE thread = CreateThread(nullptr, 0, PowerTimeoutThread, nullptr, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        Sleep(200);
        NoteInputActivity();
        DWORD input = GetTickCount();
        while (CeGetDeviceState(L"Backlight", 0) == 1 && GetTickCount() - input < 15000)
            Sleep(20);
        DWORD released = GetTickCount() - input;
        EXPECT_EQ(0u, CeGetDeviceState(L"Backlight", 1));
        EXPECT_GE(released + 50, timeout) << "timeout " << timeout;
        EXPECT_LE(released, timeout + 5000 + 1000) << "timeout " << timeout;
        g_terminate = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 8000));
        CloseHandle(thread);
        char line[64];
        snprintf(line, sizeof line, "PowerTimeoutThread LCD Timeout (%lu)", (unsigned long)timeout);
        std::vector<std::string> log = ReadDebugLogMessages();
        EXPECT_GE(FindMessage(log, "PowerTimeoutThread call"), 0);
        EXPECT_GE(FindMessage(log, line), 0) << line;
    }
}

TEST_F(InputBacklight, PowerTransitionsAreLoggedUntilClose)
{
    g_closeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, PowerNotificationThread, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
        if (FindMessage(ReadDebugLogMessages(), "PowerNotificationThread loop [1].") >= 0)
            break;
    EXPECT_GE(CeDeliverPowerTransition(POWER_STATE_SUSPEND, L"suspend"), 1);
    EXPECT_GE(CeDeliverPowerTransition(POWER_STATE_ON, L"on"), 1);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
        if (FindMessage(ReadDebugLogMessages(), "PowerNotificationThread New Status: 10000 [on]") >= 0)
            break;
    g_terminate = 1;
    SetEvent(g_closeEvent);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 3000));
    CloseHandle(thread);

    std::vector<std::string> log = ReadDebugLogMessages();
    int call = FindMessage(log, "PowerNotificationThread call");
    int loop = FindMessage(log, "PowerNotificationThread loop [1].", call);
    int suspend = FindMessage(log, "PowerNotificationThread New Status: 200000 [suspend]", loop);
    int on = FindMessage(log, "PowerNotificationThread New Status: 10000 [on]", suspend);
    int exiting = FindMessage(log, "PowerNotificationThread exiting.", on);
    EXPECT_TRUE(call >= 0 && loop > call && suspend > loop && on > suspend && exiting > on);
    // The subscription went with the thread.
    EXPECT_EQ(0, CeDeliverPowerTransition(POWER_STATE_ON, L"on"));
    CloseHandle(g_closeEvent);
    g_closeEvent = nullptr;
}

} // namespace
