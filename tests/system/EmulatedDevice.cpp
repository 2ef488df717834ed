// The emulated device itself: the driver simulator, the recorder, the shell stand-in,
// the platform-program stand-ins and the installer step. The program's own system
// tests build on all of these.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include "AppKey.h"
#include "Driver.h"
#include "Install.h"
#include "Recorder.h"

namespace {

// Device paths such as "\windows\ctlpnl.exe" are relative to the device's root.
struct AtDeviceRoot : ::testing::Test {
    void SetUp() override { SetCurrentDirectoryW(L"C:\\"); }
};

std::wstring ProcessNameOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::wstring name;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == pid)
            name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

void ExpectMessage(const ThreadMessage& m, UINT message, WPARAM wParam, LPARAM lParam)
{
    EXPECT_EQ(m.message, message);
    EXPECT_EQ(m.wParam, wParam) << "message " << m.message;
    EXPECT_EQ(m.lParam, lParam) << "message " << m.message;
}

} // namespace

// --- Driver simulator ------------------------------------------------------------

using DriverSimulator = AtDeviceRoot;

TEST_F(DriverSimulator, PostsEveryScriptCommandToThePublishedListenerInOrder)
{
    FakeListener listener;
    std::string output;
    int code = RunUsbsim("# a session\n"
                         "attach mouse\n"
                         "attach keyboard\n"
                         "move 5 -3\n"
                         "wheel -1\n"
                         "press left\n"
                         "release left\n"
                         "click right\n"
                         "report 2 -128 127 0x20\n"
                         "key down 0x41 0x1e\n"
                         "key up A 0x1e\n"
                         "bluetooth 7\n"
                         "status mouse 3\n"
                         "detach keyboard\n"
                         "detach mouse   # trailing comment\n",
                         &output);
    ASSERT_EQ(code, 0) << output;
    std::vector<ThreadMessage> m = listener.WaitForMessages(15);
    ASSERT_EQ(m.size(), 15u);
    ExpectMessage(m[0], TM_MOUSESTATUS, 1, 0);
    ExpectMessage(m[1], TM_KBSTATUS, 1, 0);
    ExpectMessage(m[2], TM_MOUSEREPORT, PackMouseReport(0, 5, -3), 0);
    EXPECT_EQ(MouseReportDy(m[2].wParam), -3);
    ExpectMessage(m[3], TM_MOUSEREPORT, PackMouseReport(-1, 0, 0), 0);
    ExpectMessage(m[4], TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTDOWN);
    ExpectMessage(m[5], TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTUP);
    ExpectMessage(m[6], TM_MOUSEREPORT, 0, MOUSEEVENTF_RIGHTDOWN);
    ExpectMessage(m[7], TM_MOUSEREPORT, 0, MOUSEEVENTF_RIGHTUP);
    ExpectMessage(m[8], TM_MOUSEREPORT, PackMouseReport(2, -128, 127), MOUSEEVENTF_MIDDLEDOWN);
    ExpectMessage(m[9], TM_KBREPORT, PackKeyReport(0x41, 0x1E), 0);
    ExpectMessage(m[10], TM_KBREPORT, PackKeyReport(0x41, 0x1E), KEYEVENTF_KEYUP);
    ExpectMessage(m[11], TM_BLUETOOTH, 7, 0);
    ExpectMessage(m[12], TM_MOUSESTATUS, 3, 0);
    ExpectMessage(m[13], TM_KBSTATUS, 0, 0);
    ExpectMessage(m[14], TM_MOUSESTATUS, 0, 0);
}

TEST_F(DriverSimulator, FailsClearlyWithoutAListener)
{
    DeleteListenerThreadId();
    std::string output;
    EXPECT_EQ(RunUsbsim("attach mouse\n", &output), USB_NO_LISTENER);
    EXPECT_NE(output.find("INTRCM"), std::string::npos) << output;

    // A published thread that has ended: the post fails.
    DWORD gone = 0;
    HANDLE thread = CreateThread(nullptr, 0, [](void*) -> DWORD { return 0; }, nullptr, 0, &gone);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    WriteListenerThreadId(gone);
    EXPECT_EQ(RunUsbsim("attach mouse\n", &output), USB_POST_FAILED) << output;

    FakeListener listener;
    EXPECT_EQ(RunUsbsim("attach mouse\nfly away\n", &output), USB_BAD_COMMAND);
    EXPECT_NE(output.find("line 2"), std::string::npos) << output;
}

// --- Recorder: real pointer and key input from this process ---------------------

using RecorderApplication = AtDeviceRoot;

TEST_F(RecorderApplication, RecordsAbsoluteMovesAndClicksInScreenCoordinates)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    RECT frame;
    GetWindowRect(recorder.Window(), &frame);
    EXPECT_EQ(frame.top, TopBarHeight());
    EXPECT_EQ(frame.bottom, GetSystemMetrics(SM_CYSCREEN));

    size_t mark = recorder.Mark();
    MovePointerTo(100, 150);
    DWORD nx, ny;
    AbsoluteMouseCoordinates(100, 150, &nx, &ny);
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, nx, ny, 0, 0);
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, nx, ny, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_MIDDLEDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_MIDDLEUP, 0, 0, 0, 0);

    RecorderEvent e;
    ASSERT_TRUE(recorder.WaitFor("mbuttonup", &e, mark));
    std::vector<RecorderEvent> events = recorder.Events();
    std::vector<std::string> buttons;
    for (size_t i = mark; i < events.size(); ++i) {
        if (events[i].kind == "mousemove")
            continue;
        buttons.push_back(events[i].kind);
        EXPECT_EQ(events[i].x, 100) << events[i].kind;
        EXPECT_EQ(events[i].y, 150) << events[i].kind;
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{"lbuttondown", "lbuttonup", "rbuttondown", "rbuttonup",
                                                 "mbuttondown", "mbuttonup"}));
    ASSERT_TRUE(recorder.WaitFor("mousemove", &e, mark));
    EXPECT_EQ(e.x, 100);
    EXPECT_EQ(e.y, 150);
}

TEST_F(RecorderApplication, RecordsWheelDeltaAndKeysWithScanCodes)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    MovePointerTo(60, 200);
    size_t mark = recorder.Mark();
    mouse_event(MOUSEEVENTF_WHEEL, 0, 0, (DWORD)-WHEEL_DELTA, 0);
    keybd_event('A', 0x1E, 0, 0);
    keybd_event('A', 0x1E, KEYEVENTF_KEYUP, 0);

    RecorderEvent wheel, down, up;
    ASSERT_TRUE(recorder.WaitFor("wheel", &wheel, mark));
    EXPECT_EQ(wheel.delta, -WHEEL_DELTA);
    EXPECT_EQ(wheel.x, 60);
    EXPECT_EQ(wheel.y, 200);
    ASSERT_TRUE(recorder.WaitFor("keydown", &down, mark));
    ASSERT_TRUE(recorder.WaitFor("keyup", &up, mark));
    EXPECT_EQ(down.vk, (UINT)'A');
    EXPECT_EQ(down.scan, 0x1Eu);
    EXPECT_EQ(up.vk, (UINT)'A');
    EXPECT_LE(down.time, up.time);
}

// --- Shell stand-in ---------------------------------------------------------------

static void ExpectShellOfHeight(int topBarHeight)
{
    HWND bar = WaitForWindow(L"HHTaskBar", nullptr, 5000);
    ASSERT_NE(bar, nullptr);
    RECT r;
    GetWindowRect(bar, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, topBarHeight);
    EXPECT_EQ(GetWindowTextLengthW(bar), 0);
    EXPECT_TRUE(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ProcessNameOf(bar), L"shell32.exe");
    HWND desktop = FindWindowW(nullptr, L"Desktop");
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(ProcessNameOf(desktop), L"shell32.exe");
}

TEST(EmulatedShell, TopBarIs26PixelsHighAcrossTheScreen)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
    ExpectShellOfHeight(26);
}

TEST(EmulatedShellHiRes, TopBarIs52PixelsHighOnA480By640Screen)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 480);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 640);
    ExpectShellOfHeight(52);
}

// --- Platform-program stand-ins ---------------------------------------------------

using PlatformPrograms = AtDeviceRoot;

static bool ShellExecuteAndWait(const wchar_t* file, const wchar_t* parameters)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info))
        return false;
    if (info.hProcess) {
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hProcess);
    }
    return true;
}

TEST_F(PlatformPrograms, StandInsRecordTheirCommandLines)
{
    ClearLaunches();
    ASSERT_TRUE(ShellExecuteAndWait(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,9"));
    ASSERT_TRUE(ShellExecuteAndWait(L"\\windows\\bthbond.exe", L""));
    ASSERT_TRUE(ShellExecuteAndWait(L"iexplore.exe", L"http://www.morvane.example/vantorix"));
    std::vector<std::wstring> lines = WaitForLaunches(3, 5000);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"ctlpnl.exe cplmain.cpl,9");
    EXPECT_EQ(lines[1], L"bthbond.exe");
    EXPECT_EQ(lines[2], L"iexplore.exe http://www.morvane.example/vantorix");
}

// --- Installer step ---------------------------------------------------------------

using Installer = AtDeviceRoot;

TEST_F(Installer, ResetsTheKeyAndWritesWhatTheProgramNeeds)
{
    SetDword(L"Leftover", 7);
    InstallOptions options;
    options.enableDebug = 0;
    options.backlightTimeout = 12345;
    ASSERT_TRUE(InstallFresh(options));
    EXPECT_FALSE(HasValue(L"Leftover"));
    EXPECT_FALSE(HasValue(L"INTRCM"));
    EXPECT_EQ(GetText(L"InstallPath"), L"\\Program Files\\Vantorix");
    EXPECT_EQ(GetDword(L"EnableDebug"), 0u);
    EXPECT_EQ(GetDword(L"BacklightTimeout"), 12345u);
    EXPECT_FALSE(GetText(L"VersionGUI").empty());
    EXPECT_FALSE(GetText(L"AboutWebLink").empty());
    EXPECT_EQ(GetDword(L"Enable_Mouse"), 1u);
    EXPECT_EQ(GetDword(L"Speed"), 3u);
    EXPECT_EQ(GetDword(L"Right_Button_Action"), 2u);
    EXPECT_EQ(GetDword(L"Wheel_Down_Action"), 5u);
    EXPECT_EQ(GetValueType(L"Wheel_Down_Param2"), (DWORD)REG_SZ);

    for (const wchar_t* file : {L"cursors_f1.jpg", L"cursors_f2.jpg", L"t0ms_f1.jpg", L"t0s1_f12.jpg",
                                L"tva_f1.jpg", L"tvf_f2.jpg"})
        EXPECT_TRUE(FileExists(InstalledFile(L"images", file))) << ToUtf8(file);
    EXPECT_TRUE(FileExists(InstalledFile(L"Images", L"tva_f2.jpg")));
    EXPECT_TRUE(FileExists(InstalledFile(L"help", L"help.html")));
    EXPECT_TRUE(FileExists(InstalledFile(nullptr, L"soundkb.wav")));
    if (FileExists(StageDirectory() + L"\\Pelorin.exe")) {
        EXPECT_TRUE(FileExists(InstalledFile(nullptr, L"Pelorin.exe")));
    }
    EXPECT_TRUE(FileExists(kAppletFile)) << "the control-panel library in \\windows";
}

