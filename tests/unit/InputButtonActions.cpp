// The seventeen actions as DoAction carries them out on the emulated device: pointer
// actions shaping the event, programs and applets started through the stand-ins,
// closing and switching tasks, rotation, reset and suspend.
#include "InputTestSupport.h"
#include <algorithm>
#include "AppState.h"
#include "ButtonActions.h"
#include "DebugLog.h"
#include "DebugLogFile.h"
#include "DeviceKit.h"
#include "GUI.h"

namespace {

class InputButtonActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_debugEnabled = 1;
        DeleteDebugLog();
        for (int i = 0; i < BUTTON_COUNT; ++i)
            g_gui.Buttons[i] = ButtonEntry();
        ClearLaunches();
    }
    void Bind(int button, int action, const wchar_t* param1 = L"", const wchar_t* param2 = L"")
    {
        g_gui.Buttons[button].Action = action;
        CopyText(g_gui.Buttons[button].Param1, PARAM_CHARS, param1);
        CopyText(g_gui.Buttons[button].Param2, PARAM_CHARS, param2);
    }
    void Run(int button, DWORD& flags, DWORD& sequence) { DoAction(button, flags, sequence); }
    bool Logged(const char* line)
    {
        return FindMessage(ReadDebugLogMessages(), line) >= 0;
    }
};

struct PointerCase {
    int action;
    DWORD flagsIn, sequenceIn;
    DWORD flagsOut, sequenceOut;
};

TEST_F(InputButtonActions, ProgramsAndAppletsStartWithTheirParameters)
{
    Bind(BUTTON_WHEEL_UP, ACTION_OPEN_APPLET, L"\\windows\\cplmain.cpl,5", L"ignored");
    Bind(BUTTON_LEFT, ACTION_OPEN_PROGRAM, L"\\windows\\bthbond.exe", L"-one two");
    DWORD flags = 0, sequence = 0;
    Run(BUTTON_WHEEL_UP, flags, sequence);
    ASSERT_EQ(1u, WaitForLaunches(1, 15000).size());
    Run(BUTTON_LEFT, flags, sequence);
    std::vector<std::wstring> launches = WaitForLaunches(2, 15000);
    ASSERT_EQ(2u, launches.size());
    EXPECT_EQ(L"ctlpnl.exe \\windows\\cplmain.cpl,5", launches[0]);
    EXPECT_EQ(L"bthbond.exe -one two", launches[1]);
    EXPECT_EQ(0u, flags);
    EXPECT_EQ(0u, sequence);
}

void SetPlatformType(const wchar_t* type)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, DEVICE_STATE_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (type)
        RegSetValueExW(key, L"PlatformType", 0, REG_SZ, (const BYTE*)type, (DWORD)((wcslen(type) + 1) * 2));
    else
        RegDeleteValueW(key, L"PlatformType");
    RegCloseKey(key);
}

TEST_F(InputButtonActions, BluetoothSettingsFollowThePlatformType)
{
    const wchar_t* types[] = {L"POCKETPC", L"pocketpc", L"SmartPhone"};
    size_t started = 0;
    for (const wchar_t* type : types) {
        SetPlatformType(type);
        EXPECT_EQ(1, OpenBluetoothSettings());
        WaitForLaunches(++started, 15000); // one at a time, so the log keeps their order
    }
    SetPlatformType(nullptr);
    std::vector<std::wstring> launches = WaitForLaunches(3, 15000);
    ASSERT_EQ(3u, launches.size());
    EXPECT_EQ(L"ctlpnl.exe cplmain.cpl,23", launches[0]);
    EXPECT_EQ(L"ctlpnl.exe cplmain.cpl,23", launches[1]);
    EXPECT_EQ(L"bthbond.exe", launches[2].substr(0, 11));
}

bool BringForward(HWND window)
{
    for (int i = 0; i < 20; ++i) {
        SetForegroundWindow(window);
        if (GetForegroundWindow() == window)
            return true;
        Sleep(50);
    }
    return false;
}

// Another thread's window cannot be destroyed from here; it is asked to close.
TEST_F(InputButtonActions, CloseTaskClosesAnotherThreadsWindow)
{
    EventWindow other;
    HWND window = other.handle();
    other.BringToFront();
    ASSERT_TRUE(BringForward(window));
    CloseTask();
    for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 3000;)
        Sleep(20);
    EXPECT_FALSE(IsWindow(window));
    std::vector<std::string> log = ReadDebugLogMessages();
    int close = FindMessage(log, "Close Task: ");
    int real = FindMessage(log, "Real Close wnd=", close);
    int destroy = FindMessage(log, "Destroy Window", real);
    EXPECT_TRUE(close >= 0 && real > close && destroy > real);
}

// The foreground window goes behind the others and stays shown. (The windows belong
// to this thread: without a window manager, Wine does not restack another thread's
// window that is being hidden.)
TEST_F(InputButtonActions, SwitchTaskSendsTheFrontWindowBack)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"InputTestTask";
    RegisterClassW(&wc);
    HWND back = CreateWindowExW(0, wc.lpszClassName, L"back", WS_POPUP | WS_VISIBLE, 0, 30, 100, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    HWND front = CreateWindowExW(0, wc.lpszClassName, L"front", WS_POPUP | WS_VISIBLE, 0, 30, 100, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(BringForward(front));
    SwitchTask();
    EXPECT_TRUE(IsWindowVisible(front));
    std::string order;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == back || w == front)
            order += w == back ? "back " : "front ";
    EXPECT_EQ("back front ", order);
    DestroyWindow(front);
    DestroyWindow(back);
}

TEST_F(InputButtonActions, ShowDesktopBringsTheTodayScreen)
{
    EventWindow app(RGB(10, 10, 10), false);
    ASSERT_TRUE(BringForward(app.handle()));
    Bind(BUTTON_MIDDLE, ACTION_SHOW_DESKTOP);
    DWORD flags = 0, sequence = 0;
    Run(BUTTON_MIDDLE, flags, sequence);
    // Activation of another process's window completes on its own thread.
    for (DWORD start = GetTickCount(); GetForegroundWindow() != CeGetDesktopWindow() && GetTickCount() - start < 2000;)
        Sleep(20);
    EXPECT_EQ(CeGetDesktopWindow(), GetForegroundWindow());
}

TEST_F(InputButtonActions, ResetAndSuspendReachTheDevice)
{
    DWORD reboots = CeGetDeviceState(L"Reboot", 0), suspends = CeGetDeviceState(L"Suspend", 0);
    Bind(BUTTON_LEFT, ACTION_RESET_DEVICE);
    Bind(BUTTON_RIGHT, ACTION_SUSPEND);
    DWORD flags = 0, sequence = 0;
    Run(BUTTON_LEFT, flags, sequence);
    Run(BUTTON_RIGHT, flags, sequence);
    EXPECT_EQ(reboots + 1, CeGetDeviceState(L"Reboot", 0));
    EXPECT_EQ(suspends + 1, CeGetDeviceState(L"Suspend", 0));
}

} // namespace
