// The backlight held on while input arrives and let go after the quiet time, and the
// power transitions that the notification thread logs, on the emulated device.
#include "InputTestSupport.h"
#include <pm.h>
#include "AppState.h"
#include "Backlight.h"
#include "PowerThreads.h"
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
