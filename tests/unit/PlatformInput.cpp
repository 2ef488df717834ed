// The platform layer's device meanings that the program relies on, against real
// Win32 under Wine: pointer positions, message queues and power notifications, and
// GetProcAddressW.
#include <gtest/gtest.h>
#include <msgqueue.h>
#include <pm.h>
#include "ce_device_input.h"

namespace {

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// Where the pointer is once the move has been handled (it arrives asynchronously).
POINT MoveTo(int x, int y)
{
    CeMouseEvent(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, (DWORD)(x * 65535 / ScreenWidth()),
                 (DWORD)(y * 65535 / ScreenHeight()), 0, 0);
    POINT p = {-1, -1};
    for (DWORD start = GetTickCount(); GetTickCount() - start < 200; Sleep(1))
        if (GetCursorPos(&p) && p.x == x && p.y == y)
            break;
    return p;
}

// The device's normalisation lands on the very pixel at every position of both axes,
// the first and the last included; the far edge itself (X = width) is the last pixel.
TEST(PlatformPointer, AbsolutePositionLandsOnEveryPixel)
{
    int width = ScreenWidth(), height = ScreenHeight();
    int misses = 0;
    for (int x = 0; x < width; ++x) {
        POINT p = MoveTo(x, height / 2);
        if (p.x != x && ++misses < 5)
            ADD_FAILURE() << "x " << x << " landed on " << p.x;
    }
    for (int y = 0; y < height; ++y) {
        POINT p = MoveTo(width / 2, y);
        if (p.y != y && ++misses < 10)
            ADD_FAILURE() << "y " << y << " landed on " << p.y;
    }
    EXPECT_EQ(0, misses);
    POINT corner = MoveTo(width, height);
    EXPECT_EQ(width - 1, corner.x);
    EXPECT_EQ(height - 1, corner.y);
}

MSGQUEUEOPTIONS ReadOptions(DWORD maxMessage)
{
    MSGQUEUEOPTIONS options = {};
    options.dwSize = sizeof options;
    options.cbMaxMessage = maxMessage;
    options.bReadAccess = TRUE;
    return options;
}

// The queue handle is signalled while messages wait, also when several arrive before
// the reader wakes; an empty queue does not block a read without wait.
TEST(PlatformMsgQueue, EveryMessageWakesTheReaderInOrder)
{
    MSGQUEUEOPTIONS options = ReadOptions(16);
    HANDLE reader = CreateMsgQueue(L"InputTestQueue", &options);
    ASSERT_NE(nullptr, reader);
    options.bReadAccess = FALSE;
    HANDLE writer = CreateMsgQueue(L"InputTestQueue", &options);
    ASSERT_NE(nullptr, writer);

    char buffer[16];
    DWORD bytes = 0, flags = 0;
    EXPECT_FALSE(ReadMsgQueue(reader, buffer, sizeof buffer, &bytes, 0, &flags));
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(reader, 0));

    for (char c = '1'; c <= '3'; ++c)
        ASSERT_TRUE(WriteMsgQueue(writer, &c, 1, 0, 0));
    char tooLong[17] = {};
    EXPECT_FALSE(WriteMsgQueue(writer, tooLong, sizeof tooLong, 0, 0));

    std::string order;
    while (WaitForSingleObject(reader, 500) == WAIT_OBJECT_0)
        if (ReadMsgQueue(reader, buffer, sizeof buffer, &bytes, 0, &flags)) {
            EXPECT_EQ(1u, bytes);
            order += buffer[0];
        }
    EXPECT_EQ("123", order);
    EXPECT_TRUE(CloseMsgQueue(writer));
    EXPECT_TRUE(CloseMsgQueue(reader));
    EXPECT_FALSE(CloseMsgQueue(reader));
}

// A transition reaches a subscribed queue as a POWER_BROADCAST of at most 44 bytes;
// after StopPowerNotifications it no longer does.
TEST(PlatformPower, TransitionReachesSubscribersUntilTheyStop)
{
    MSGQUEUEOPTIONS options = ReadOptions(44);
    HANDLE queue = CreateMsgQueue(nullptr, &options);
    ASSERT_NE(nullptr, queue);
    HANDLE subscription = RequestPowerNotifications(queue, PBT_TRANSITION);
    ASSERT_NE(nullptr, subscription);

    EXPECT_GE(CeDeliverPowerTransition(POWER_STATE_SUSPEND, L"a-very-long-power-state-name"), 1);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(queue, 2000));
    DWORD message[11] = {};
    DWORD bytes = 0, flags = 0;
    ASSERT_TRUE(ReadMsgQueue(queue, message, sizeof message, &bytes, 0, &flags));
    POWER_BROADCAST* broadcast = (POWER_BROADCAST*)message;
    EXPECT_LE(bytes, 44u);
    EXPECT_EQ((DWORD)PBT_TRANSITION, broadcast->Message);
    EXPECT_EQ((DWORD)POWER_STATE_SUSPEND, broadcast->Flags);
    size_t chars = (bytes - 12) / sizeof(WCHAR);
    ASSERT_GT(chars, 0u);
    EXPECT_EQ(0, broadcast->SystemPowerState[chars - 1]); // terminated within the message
    EXPECT_EQ(0, wcsncmp(L"a-very-long", broadcast->SystemPowerState, 11));

    EXPECT_TRUE(StopPowerNotifications(subscription));
    CeDeliverPowerTransition(POWER_STATE_ON, L"on");
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(queue, 300));
    CloseMsgQueue(queue);
}

TEST(PlatformDevice, ProcAddressByWideName)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ((FARPROC)GetProcAddress(kernel, "GetTickCount"), GetProcAddressW(kernel, L"GetTickCount"));
    EXPECT_EQ(nullptr, GetProcAddressW(kernel, L"NoSuchExport"));
    EXPECT_EQ(nullptr, GetProcAddressW(kernel, L"GetTick\x00E9"));
}

} // namespace
