// The platform layer's device meanings for the input code, against real Win32 under
// Wine: pointer positions, the power key, message queues and power notifications,
// power requirements, reboot, screen orientation, tool help and GetProcAddressW.
#include <msgqueue.h>
#include <pkfuncs.h>
#include <pm.h>
#include "InputTestSupport.h"

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

TEST(PlatformPointer, ClickArrivesAtThePixel)
{
    EventWindow window;
    window.BringToFront();
    int width = ScreenWidth(), height = ScreenHeight();
    const POINT spots[] = {{0, 0}, {10, 20}, {width - 1, height - 1}, {width / 3, height / 7}};
    for (POINT spot : spots) {
        window.Clear();
        CeMouseEvent(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP,
                     (DWORD)(spot.x * 65535 / width), (DWORD)(spot.y * 65535 / height), 0, 0);
        ASSERT_TRUE(window.WaitFor({WM_LBUTTONUP}, 1));
        std::vector<InputEvent> down = window.Events({WM_LBUTTONDOWN});
        ASSERT_EQ(1u, down.size());
        EXPECT_EQ(spot.x, down[0].x);
        EXPECT_EQ(spot.y, down[0].y);
    }
}

// The power key suspends the emulated device and is not typed into the focused window;
// other keys are.
TEST(PlatformKeys, PowerKeySuspendsInsteadOfTyping)
{
    EventWindow window;
    window.BringToFront();
    DWORD suspends = CeGetDeviceState(L"Suspend", 0);
    CeKeybdEvent(VK_OFF, 0, 0, 0);
    CeKeybdEvent(VK_OFF, 0, KEYEVENTF_KEYUP, 0);
    CeKeybdEvent('A', 0x1E, 0, 0);
    CeKeybdEvent('A', 0x1E, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(window.WaitFor({WM_KEYUP}, 1));
    window.Settle();
    EXPECT_EQ(suspends + 1, CeGetDeviceState(L"Suspend", 0));
    for (const InputEvent& e : window.Events({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP}))
        EXPECT_EQ((UINT)'A', e.vk);
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

TEST(PlatformMsgQueue, ReadWaitsForItsTimeout)
{
    MSGQUEUEOPTIONS options = ReadOptions(8);
    HANDLE reader = CreateMsgQueue(nullptr, &options);
    ASSERT_NE(nullptr, reader);
    char buffer[8];
    DWORD bytes = 0, flags = 0;
    DWORD start = GetTickCount();
    EXPECT_FALSE(ReadMsgQueue(reader, buffer, sizeof buffer, &bytes, 300, &flags));
    EXPECT_EQ((DWORD)ERROR_TIMEOUT, GetLastError());
    EXPECT_GE(GetTickCount() - start, 250u);
    CloseMsgQueue(reader);
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

TEST(PlatformDevice, ToolHelpAndProcAddress)
{
    HANDLE snapshot = CeCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPNOHEAPS, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool self = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        self = self || entry.th32ProcessID == GetCurrentProcessId();
    EXPECT_TRUE(self);
    EXPECT_TRUE(CloseToolhelp32Snapshot(snapshot));

    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ((FARPROC)GetProcAddress(kernel, "GetTickCount"), GetProcAddressW(kernel, L"GetTickCount"));
    EXPECT_EQ(nullptr, GetProcAddressW(kernel, L"NoSuchExport"));
    EXPECT_EQ(nullptr, GetProcAddressW(kernel, L"GetTick\x00E9"));
}

} // namespace
