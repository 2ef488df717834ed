// Start-up rule, threads, single instance and termination of the real Pelorin.exe.
#include <algorithm>
#include "PelorinTest.h"
#include "Recorder.h"
#include "resource.h"
#include <tlhelp32.h>

namespace {

struct StartRule : PelorinTest {};

TEST_F(StartRule, WithoutAutostartAnEmptyCommandLineDeclines)
{
    EXPECT_EQ(0, RunToExit(L""));
    EXPECT_FALSE(HasValue(kListenerThreadValue)) << "a declined start publishes no listener";
    EXPECT_EQ(nullptr, MainWindow());
    // The exit handler's line comes last: no window was made.
    ExpectSequence(Log(), {"", "", "Init tray app.", "--------------------------", "Device: [", "Autostart: 0",
                           "GUI::Release::Destroy: 0"});
}

TEST_F(StartRule, CommandLineMustBeTrayAloneInAnyCase)
{
    EXPECT_EQ(0, RunToExit(L"-tray now"));
    EXPECT_FALSE(HasValue(kListenerThreadValue));
    EXPECT_EQ(0, RunToExit(L"tray"));
    EXPECT_FALSE(HasValue(kListenerThreadValue));

    ASSERT_TRUE(StartRunning(L"-TRAY"));
    EXPECT_GE(FindMessage(Log(), "INIT-6: CT-3 (msg listener) thread:"), 0);
}

TEST_F(StartRule, AutostartRunsWhateverTheCommandLine)
{
    SetDword(L"Enable_Autostart", 1);
    ASSERT_TRUE(StartRunning(L"anything at all"));
    EXPECT_GE(FindMessage(Log(), "Autostart: 1"), 0);
}

TEST_F(StartRule, StartUpLogsItsStepsInOrder)
{
    ASSERT_TRUE(StartRunning());
    ExpectSequence(Log("INIT"), {"INIT-0: Created close event", "INIT-1: CT-0 (app main) thread:",
                                 "INIT-2: REG Settings: 1", "INIT-3: Screen size:", "INIT-4: CT-1 (power) thread:",
                                 "INIT-5: CT-2 (power timeout) thread:", "INIT-6: CT-3 (msg listener) thread:"});
    EXPECT_TRUE(WaitForLog("DriverListenThread thread running."));
    EXPECT_EQ(Listener(), GetDword(kListenerThreadValue));
}

struct Threads : PelorinTest {};

// The listener and the power time-out thread run above normal priority, the main
// thread at normal priority; the process's other threads are left alone.
TEST_F(Threads, RunAtTheirPriorities)
{
    ASSERT_TRUE(StartRunning());
    DWORD mainThread = GetWindowThreadProcessId(MainWindow(), nullptr);
    std::vector<DWORD> raised;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        HANDLE thread = entry.th32OwnerProcessID == processId_
                            ? OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID)
                            : nullptr;
        if (!thread)
            continue;
        int priority = GetThreadPriority(thread);
        CloseHandle(thread);
        if (entry.th32ThreadID == mainThread) {
            EXPECT_EQ(THREAD_PRIORITY_NORMAL, priority) << "main thread";
        }
        if (priority == THREAD_PRIORITY_ABOVE_NORMAL)
            raised.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    EXPECT_EQ(3u, raised.size()) << "threads above normal priority: the listener, the power time-out thread and the "
                                    "cursor's thread";
    EXPECT_NE(raised.end(), std::find(raised.begin(), raised.end(), Listener())) << "the listener runs at another priority";
}

struct SingleInstance : PelorinTest {};

TEST_F(SingleInstance, SecondStartBringsTheFirstForwardAndEnds)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    EXPECT_FALSE(IsWindowVisible(window)) << "the settings window starts hidden";
    DWORD published = GetDword(kListenerThreadValue);
    SetDword(L"Speed", 9); // a setting the second start must not write back
    DeleteDebugLog();

    EXPECT_EQ(0, RunToExit(kProgramArgument));
    // The second start posts its request: the first shows itself when it takes it.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    EXPECT_GE(FindMessage(Log(), "QUIT: Duplicate instance"), 0);
    EXPECT_EQ(published, GetDword(kListenerThreadValue));
    EXPECT_EQ(9u, GetDword(L"Speed"));
    EXPECT_EQ(window, MainWindow());
    EXPECT_TRUE(IsRunning());
}

TEST_F(SingleInstance, DeclinedSecondStartLeavesTheFirstAlone)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    EXPECT_EQ(0, RunToExit(L""));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_LT(FindMessage(Log(), "QUIT: Duplicate instance"), 0);
    EXPECT_TRUE(IsRunning());
}

struct Termination : PelorinTest {
    void ExpectCleanEnd()
    {
        ExpectSequence(Log("TERM"), {"TERM: Terminate app signal!", "TERM-1: REG Settings saved: 1",
                                     "TERM-3:  Threads terminated.", "TERM-4: resources deleted.",
                                     "TERM-5: Sending WM_QUIT"});
        EXPECT_EQ(nullptr, MainWindow());
    }
};

TEST_F(Termination, ExitCommandSavesAndEndsEverything)
{
    ASSERT_TRUE(StartRunning());
    SetDword(L"Cursor", 7); // the program's record still says 0: the save puts it back
    DWORD deletes = ReadDeviceDword(L"TrayIconDeletes");
    EXPECT_EQ(1u, ReadTrayIcons().size());
    EXPECT_EQ(0, CloseRunning(WM_COMMAND, IDC_EXIT));
    ExpectCleanEnd();
    EXPECT_EQ(0u, GetDword(L"Cursor"));
    EXPECT_EQ(deletes + 1, ReadDeviceDword(L"TrayIconDeletes"));
}

TEST_F(Termination, CloseFromOutsideEndsTheProgramAndItsTrayIconEvenWhenHidden)
{
    SetDword(L"Enable_Tray", 0);
    ASSERT_TRUE(StartRunning());
    DWORD adds = ReadDeviceDword(L"TrayIconAdds"), deletes = ReadDeviceDword(L"TrayIconDeletes");
    EXPECT_EQ(0, CloseRunning(WM_CLOSE));
    ExpectCleanEnd();
    EXPECT_EQ(adds, ReadDeviceDword(L"TrayIconAdds")) << "no icon with Enable_Tray 0";
    EXPECT_EQ(deletes + 1, ReadDeviceDword(L"TrayIconDeletes")) << "the delete request goes out all the same";
    EXPECT_FALSE(PostDriver(Listener(), WM_NULL, 0, 0)) << "the listener is gone with the process";
}

// A button and a key held through the driver are released when the program ends,
// in whichever order it releases them.
TEST_F(Termination, HeldButtonAndKeyAreReleased)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(Post(TM_MOUSEREPORT, PackMouseReport(0, 40, 80), MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(Post(TM_KBREPORT, PackKeyReport('K', 0x25), 0));
    Drain();
    EXPECT_EQ(0, CloseRunning());
    std::vector<std::string> inputs = recorder.Inputs();
    std::sort(inputs.begin(), inputs.end());
    ExpectSequence(inputs, {"K down 25", "K up 25", "ldown", "lup"});
}

TEST_F(Termination, NoDriverMessageIsHandledAfterTheListenerStops)
{
    ASSERT_TRUE(StartRunning());
    // A long run of notices queued right behind the close: whatever is handled
    // must come before the TERM-3 line.
    PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
    for (int i = 0; i < 2000; ++i)
        if (!Post(TM_BLUETOOTH, 100000 + i, 0))
            break;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 15000));
    std::vector<std::string> log = Log();
    int stopped = FindMessage(log, "TERM-3:");
    ASSERT_GE(stopped, 0);
    EXPECT_LT(FindMessage(log, "TM_BLUETOOTH:", stopped), 0);
}

} // namespace
