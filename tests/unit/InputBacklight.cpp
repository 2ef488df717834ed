// The power side of input on the emulated device: a backlight requirement that the
// power manager refuses, and the power transitions the notification thread logs.
#include <gtest/gtest.h>
#include <pm.h>
#include <thread>
#include "DebugLogFile.h"
#include "Sequence.h"
#include "WaitUntil.h"
#include "ce_device_api.h"
#include "ce_device_input.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "input/Backlight.h"
#include "input/PowerThreads.h"

namespace {

class InputBacklight : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_debugEnabled = 1;
        g_terminate.Set(false);
        SetBacklightRequirement(0);
        DeleteDebugLog();
    }
    void TearDown() override
    {
        CeSetPowerManagerDelay(0);
        CeSetPowerRequirementsGranted(TRUE);
        SetBacklightRequirement(0);
        g_debugEnabled = 0;
    }
};

// A refused requirement is logged with its error; every further input asks again
// until one is granted, and then input asks for nothing more.
TEST_F(InputBacklight, RefusedRequirementIsRetriedByTheNextInput)
{
    DWORD requests = CeGetDeviceState(L"BacklightRequests", 0);
    CeSetPowerRequirementsGranted(FALSE);
    NoteInputActivity();
    NoteInputActivity();
    CeSetPowerRequirementsGranted(TRUE);
    NoteInputActivity();
    NoteInputActivity();
    ExpectSequence(Starting(ReadDebugLogMessages(), "Set"),
                   {"SetBacklightRequirement(1)", "SetPowerRequirement failed: 8", "SetBacklightRequirement(1)",
                    "SetPowerRequirement failed: 8", "SetBacklightRequirement(1)"});
    EXPECT_EQ(requests + 1, CeGetDeviceState(L"BacklightRequests", 0));
    EXPECT_EQ(1u, CeGetDeviceState(L"Backlight", 0));
}

// A request that cannot take the lock in time, because the power manager is slow to
// answer the one before, takes no second requirement beside it: none is leaked.
TEST_F(InputBacklight, AChangeThatCannotTakeTheLockLeavesTheRequirementAsItIs)
{
    DWORD requests = CeGetDeviceState(L"BacklightRequests", 0);
    CeSetPowerManagerDelay(3000);
    std::thread first([] { SetBacklightRequirement(1); });
    Sleep(200);
    SetBacklightRequirement(1); // its wait for the lock runs out while the first waits on the power manager
    first.join();
    CeSetPowerManagerDelay(0);
    EXPECT_EQ(requests + 1, CeGetDeviceState(L"BacklightRequests", 0)) << "a second requirement beside the first";
    SetBacklightRequirement(0);
    EXPECT_EQ(0u, CeGetDeviceState(L"Backlight", 1)) << "a requirement left behind holds the backlight";
}

TEST_F(InputBacklight, PowerTransitionsAreLoggedUntilClose)
{
    g_closeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, PowerNotificationThread, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    auto logged = [](const char* line) { return FindMessage(ReadDebugLogMessages(), line) >= 0; };
    EXPECT_TRUE(WaitUntil([&] { return logged("PowerNotificationThread loop [1]."); }));
    EXPECT_GE(CeDeliverPowerTransition(POWER_STATE_SUSPEND, L"suspend"), 1);
    EXPECT_GE(CeDeliverPowerTransition(POWER_STATE_ON, L"on"), 1);
    EXPECT_TRUE(WaitUntil([&] { return logged("PowerNotificationThread New Status: 10000 [on]"); }));
    g_terminate.Set(true);
    SetEvent(g_closeEvent);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 3000));
    CloseHandle(thread);

    ExpectSequence(Starting(ReadDebugLogMessages(), "PowerNotificationThread"),
                   {"PowerNotificationThread call", "PowerNotificationThread loop [1].",
                    "PowerNotificationThread New Status: 200000 [suspend]",
                    "PowerNotificationThread New Status: 10000 [on]", "PowerNotificationThread exiting."});
    // The subscription went with the thread.
    EXPECT_EQ(0, CeDeliverPowerTransition(POWER_STATE_ON, L"on"));
    CloseHandle(g_closeEvent);
    g_closeEvent = nullptr;
}

} // namespace
