// The program under the conditions a user's device puts it in: two starts at the same
// instant, a kill while a button is held, quit and timer messages from strangers,
// launches that fail, Close Task aimed at the program itself, and termination while a
// report is still being handled.
#include <algorithm>
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

struct HostileConditions : PelorinTest {
    Recorder recorder;

    // Whether the recorder received `word` since the last look.
    bool Received(const std::string& word)
    {
        std::vector<std::string> inputs = recorder.Inputs();
        return std::find(inputs.begin(), inputs.end(), word) != inputs.end();
    }

    // A key typed through the listener reaches the recorder: the listener still works.
    bool KeyArrives(BYTE vk)
    {
        Post(TM_KBREPORT, PackKeyReport(vk, 0x20), 0);
        Post(TM_KBREPORT, PackKeyReport(vk, 0x20), KEYEVENTF_KEYUP);
        Drain();
        return Received(std::string(1, (char)vk) + " up 20");
    }

    // Attaches the mouse and moves the pointer onto the recorder. Wine may drop the
    // first injected pointer event of a fresh program, so a wheel step (the install
    // binds Wheel Up to Scroll Up), which arrives as an event of its own, is repeated
    // until one arrives.
    void PointerOntoRecorder()
    {
        ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
        ASSERT_TRUE(Post(TM_MOUSEREPORT, PackMouseReport(1, 60, 100), 0));
        bool arrived = false;
        for (int attempt = 0; attempt < 10 && !arrived; ++attempt) {
            Drain();
            arrived = Received("w+120");
            if (!arrived)
                Post(TM_MOUSEREPORT, PackMouseReport(1, 0, 0), 0);
        }
        ASSERT_TRUE(arrived) << "the pointer never reached the recorder";
    }

    void KillRunning()
    {
        TerminateProcess(process_, 9);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
        process_ = nullptr;
    }

    static int WindowsOfClass(const wchar_t* className)
    {
        struct Count {
            const wchar_t* className;
            int found;
        } count = {className, 0};
        EnumWindows(
            [](HWND window, LPARAM param) CALLBACK -> BOOL {
                Count* c = (Count*)param;
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                c->found += wcscmp(name, c->className) == 0;
                return TRUE;
            },
            (LPARAM)&count);
        return count.found;
    }
};

TEST_F(HostileConditions, TwoStartsAtOnceLeaveExactlyOneInstance)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        DeleteListenerThreadId();
        std::wstring program = InstalledFile(nullptr, kProgramFile);
        HANDLE starts[2] = {StartProgram(program, kProgramArgument), StartProgram(program, kProgramArgument)};
        ASSERT_TRUE(starts[0] && starts[1]);
        DWORD ended = WaitForMultipleObjects(2, starts, FALSE, 20000) - WAIT_OBJECT_0;
        ASSERT_LT(ended, 2u) << "attempt " << attempt << ": neither start gave way";
        DWORD code = 1;
        GetExitCodeProcess(starts[ended], &code);
        EXPECT_EQ(0u, code);
        EXPECT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(starts[1 - ended], 1000)) << "attempt " << attempt;
        EXPECT_EQ(1, WindowsOfClass(kWindowClass)) << "attempt " << attempt;
        EXPECT_NE(0u, WaitForListener(15000));
        StopInstalledProgram();
        CloseHandle(starts[0]);
        CloseHandle(starts[1]);
    }
}

// The button a killed instance pressed is down in the system; the driver's release,
// delivered to the next instance, lets it go.
TEST_F(HostileConditions, ButtonHeldByAKilledInstanceIsReleasedByTheNext)
{
    struct Case {
        DWORD action;
        const char* what;
    } cases[] = {{0, "Left Click"}, {8, "Tap and Hold"}};
    ASSERT_TRUE(recorder.Start());
    for (const Case& c : cases) {
        SetDword(L"Left_Button_Action", c.action);
        ASSERT_TRUE(StartRunning());
        PointerOntoRecorder();
        ASSERT_TRUE(Post(TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTDOWN));
        ASSERT_TRUE(WaitUntil([&] { return Received("ldown"); })) << c.what;
        KillRunning(); // a tap-and-hold is killed inside its second of holding

        ASSERT_TRUE(StartRunning());
        ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
        ASSERT_TRUE(Post(TM_MOUSEREPORT, PackMouseReport(0, 60, 100), MOUSEEVENTF_LEFTUP));
        Drain();
        EXPECT_TRUE(Received("lup")) << c.what << ": the button stayed down";
        StopInstalledProgram();
    }
}

TEST_F(HostileConditions, QuitMessagesFromOthersDoNotEndTheListener)
{
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostThreadMessageW(Listener(), WM_QUIT, 0, 0));
    ASSERT_TRUE(PostThreadMessageW(Listener(), WM_QUIT, 1, 0));
    // Queued behind the quits: typed only by a listener that took them and went on.
    EXPECT_TRUE(KeyArrives('Q')) << "the listener ended";
}

// Any process may post to the thread the registry names. A timer message carries the
// address of a routine that dispatching it would call (here the system's own way out
// of a process); the listener runs nothing of a stranger's choosing and drops every
// message that is not the driver's, naming it in the log, without letting a flood of
// them fill the log.
TEST_F(HostileConditions, ThreadMessagesFromStrangersRunNothing)
{
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    LPARAM routine = (LPARAM)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ExitProcess");
    ASSERT_NE(0, routine);
    ASSERT_TRUE(PostThreadMessageW(Listener(), WM_TIMER, 1, routine));
    EXPECT_TRUE(KeyArrives('T')) << "the listener ran the timer's routine";
    EXPECT_TRUE(IsRunning());
    EXPECT_EQ(1u, Log("DriverListenThread: thread message 0113 dropped").size());

    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(PostThreadMessageW(Listener(), WM_USER + 7 + i % 3, i, i));
    EXPECT_TRUE(KeyArrives('U')) << "the listener is stuck in the flood";
    size_t lines = Log("DriverListenThread: thread message").size() +
                   Log("DriverListenThread: further messages").size();
    EXPECT_LE(lines, 20u) << "a flood of strangers' messages fills the log";
    EXPECT_GE(lines, 3u) << "the strangers' messages are not named";
}

// A launch that fails does nothing visible: no box, and the driver's messages that
// follow are all handled.
TEST_F(HostileConditions, FailedLaunchesShowNothingAndLoseNoInput)
{
    const std::wstring cases[] = {L"\\Program Files\\Nowhere\\missing.exe", L"\\" + std::wstring(253, L'x'), L""};
    ASSERT_TRUE(recorder.Start());
    SetDword(L"Left_Button_Action", 9); // Open Program
    for (const std::wstring& target : cases) {
        SetText(L"Left_Button_Param1", target);
        ASSERT_TRUE(StartRunning());
        ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
        ASSERT_TRUE(Post(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTDOWN));
        ASSERT_TRUE(Post(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTUP));
        for (BYTE vk : {'A', 'B', 'C', 'D'})
            EXPECT_TRUE(KeyArrives(vk)) << "key " << vk << " lost after launching \"" << ToUtf8(target) << "\"";
        EXPECT_EQ(0, WindowsOfClass(L"#32770")) << "a box was shown";
        StopInstalledProgram();
    }
}

TEST_F(HostileConditions, CloseTaskOnTheSettingsWindowOnlyHidesIt)
{
    SetDword(L"Left_Button_Action", 11); // Close Task
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(TapTrayIcon(kWindowClass));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == MainWindow(); }));
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(Post(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(Post(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTUP));
    HWND window = MainWindow();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); })) << "the settings window stayed";
    Sleep(500);
    EXPECT_TRUE(IsWindow(window)) << "Close Task closed the settings window";
    EXPECT_TRUE(IsRunning()) << "Close Task ended the program";
}

// Termination during a tap-and-hold: the report in hand still asks for the backlight
// when its second is over, so the backlight is released only after it.
TEST_F(HostileConditions, TerminationReleasesTheBacklightAfterTheLastReport)
{
    SetDword(L"Right_Button_Action", 8); // Tap and Hold
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(Post(TM_MOUSEREPORT, 0, MOUSEEVENTF_RIGHTDOWN));
    ASSERT_TRUE(WaitForLog("DoAction: 2"));
    EXPECT_EQ(0, CloseRunning());

    std::vector<std::string> log = Log();
    int taken = FindMessage(log, "SetBacklightRequirement(1)");
    ASSERT_GE(taken, 0) << "the report in hand was not completed";
    EXPECT_GT(FindMessage(log, "SetBacklightRequirement(0)", taken), taken) << "the backlight was left held";
}

} // namespace
