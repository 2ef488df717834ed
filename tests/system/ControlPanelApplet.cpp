// Tessar.cpl loaded from \windows as the control panel loads it, and its entry on the
// emulated Settings screen; install paths it must not start anything from.
#include "PelorinTest.h"
#include <cpl.h>
#include <thread>

namespace {

struct Applet : PelorinTest {
    HMODULE library = nullptr;
    APPLET_PROC entry = nullptr;
    void SetUp() override
    {
        PelorinTest::SetUp();
        library = LoadLibraryW(kAppletFile);
        ASSERT_TRUE(library && (entry = (APPLET_PROC)GetProcAddress(library, "CPlApplet")));
    }
    void TearDown() override
    {
        if (HWND screen = FindWindowW(CONTROL_PANEL_CLASS, nullptr))
            SendMessageTimeoutW(screen, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        if (library)
            FreeLibrary(library);
        DeleteFileW(L"C:\\Pelorin.exe");
        PelorinTest::TearDown();
    }
    LONG Send(UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0) { return entry(nullptr, message, lParam1, lParam2); }
    void ExpectInFront(HWND window)
    {
        ASSERT_TRUE(window);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
        EXPECT_TRUE(WaitUntil([] { return CountProcesses(kProgramFile) == 1; })) << "one tray program";
    }
};

TEST_F(Applet, AnswersTheControlPanelProtocol)
{
    EXPECT_EQ(1, Send(CPL_INIT));
    EXPECT_EQ(1, Send(CPL_GETCOUNT));
    NEWCPLINFOW info, untouched;
    memset(&untouched, 0x5A, sizeof untouched);
    info = untouched;
    EXPECT_EQ(0, Send(CPL_NEWINQUIRE, 0, (LPARAM)&info));
    EXPECT_EQ(sizeof info, info.dwSize);
    EXPECT_EQ(0u, info.dwFlags | info.dwHelpContext);
    EXPECT_EQ(101, info.lData);
    EXPECT_TRUE(info.hIcon);
    EXPECT_EQ(std::wstring(L"Vantorix Driver"), info.szName);
    EXPECT_EQ(std::wstring(L"USB Settings"), info.szInfo);
    EXPECT_EQ(std::wstring(), info.szHelpFile);
    for (UINT other : {0u, (UINT)CPL_INQUIRE, (UINT)CPL_SELECT, (UINT)CPL_STOP, (UINT)CPL_EXIT, 1000u})
        EXPECT_EQ(0, Send(other)) << "message " << other;
    // An index outside the table, or no record: nonzero, nothing written.
    for (LPARAM index : {1, -1, 100000, 0}) {
        info = untouched;
        EXPECT_NE(0, Send(CPL_NEWINQUIRE, index, index ? (LPARAM)&info : 0)) << index;
        EXPECT_EQ(0, memcmp(&untouched, &info, sizeof info)) << index;
    }
    // The icon group: 16, 32 and 64 pixels at 24 bits.
    HRSRC group = FindResourceW(library, MAKEINTRESOURCEW(101), RT_GROUP_ICON);
    const BYTE* directory = group ? (const BYTE*)LockResource(LoadResource(library, group)) : nullptr;
    ASSERT_TRUE(directory);
    std::vector<int> images; // size * 100 + bits
    for (const BYTE* image = directory + 6; image < directory + 6 + 14 * *(const WORD*)(directory + 4); image += 14)
        images.push_back(image[0] * 100 + *(const WORD*)(image + 6));
    EXPECT_EQ((std::vector<int>{1624, 3224, 6424}), images);
}

TEST_F(Applet, OpeningStartsTheTrayProgramAndBringsItsWindowForward)
{
    // The installation leaves the automatic start off: only "-tray" lets it run.
    EXPECT_EQ(0, Send(CPL_DBLCLK, 0, 101));
    ExpectInFront(MainWindow());
}

TEST_F(Applet, OpeningBringsForwardATrayProgramThatStartsSlowly)
{
    // Pelorin's debug log takes this lock for every line: while the test holds it, the
    // program's first lines wait, and its window comes well after 500 ms.
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([held] {
        HANDLE lock = CreateMutexW(nullptr, FALSE, kDebugLogLock);
        WaitForSingleObject(lock, INFINITE);
        SetEvent(held);
        Sleep(1500);
        ReleaseMutex(lock);
        CloseHandle(lock);
    });
    WaitForSingleObject(held, INFINITE);
    EXPECT_EQ(0, Send(CPL_DBLCLK, 0, 101));
    HWND window = MainWindow();
    holder.join();
    CloseHandle(held);
    ASSERT_TRUE(window) << "the applet gave up before the window was there";
    ExpectInFront(window);
}

TEST_F(Applet, OpeningBringsTheRunningTrayProgramForward)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    EXPECT_EQ(0, Send(CPL_DBLCLK, 0, 101));
    EXPECT_EQ(window, MainWindow());
    ExpectInFront(window);
    EXPECT_TRUE(WaitForLog("QUIT: Duplicate instance")) << "the second start ended itself";
    EXPECT_TRUE(IsRunning());
}

TEST_F(Applet, StartsNothingFromAnUnsetOrCutInstallPath)
{
    // A stand-in where a path cut to nothing would lead, and a folder named like the
    // program: a start of either is seen.
    ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"demoapp.exe").c_str(), L"C:\\Pelorin.exe", FALSE));
    CreateDirectoryW(L"C:\\AppletTest", nullptr);
    CreateDirectoryW(L"C:\\AppletTest\\Pelorin.exe", nullptr);
    const std::wstring install = kInstallPath;
    // type REG_NONE: no key at all; bytes 0: the text and its terminator.
    const struct { const char* what; DWORD type; std::wstring text; size_t bytes; bool starts; } paths[] = {
        {"no key", REG_NONE, L"", 0, false},
        {"empty", REG_SZ, L"", 0, false},
        {"a number", REG_DWORD, L"ab", 4, false},
        {"a list of texts", REG_MULTI_SZ, install, 0, false},
        {"248 characters", REG_SZ, install + std::wstring(248 - install.size(), L'\\'), 0, false},
        {"262 characters, unterminated", REG_SZ, std::wstring(262, L'\\'), 524, false},
        {"1000 characters", REG_SZ, install + std::wstring(1000, L'\\'), 0, false},
        {"a folder named Pelorin.exe", REG_SZ, L"\\AppletTest", 0, false},
        {"247 characters", REG_SZ, install + std::wstring(247 - install.size(), L'\\'), 0, true},
        {"unterminated", REG_SZ, install, install.size() * 2, true},
        {"expandable, taken as it is", REG_EXPAND_SZ, install, 0, true},
    };
    for (const auto& p : paths) {
        DeleteAppKey();
        if (p.type != REG_NONE)
            SetRaw(kInstallPathValue, p.type, p.text.c_str(), (DWORD)(p.bytes ? p.bytes : (p.text.size() + 1) * 2));
        ClearLaunches();
        EXPECT_EQ(0, Send(CPL_DBLCLK, 0, 101)) << p.what;
        EXPECT_EQ(p.starts, WaitForWindow(kWindowClass, kWindowTitle, p.starts ? 5000 : 300) != nullptr) << p.what;
        EXPECT_EQ(0u, ReadLaunches().size()) << p.what;
        StopInstalledProgram();
    }
    RemoveDirectoryW(L"C:\\AppletTest\\Pelorin.exe");
    RemoveDirectoryW(L"C:\\AppletTest");
}

TEST_F(Applet, SettingsScreenListsTheEntryOnceAndOpensItOnATap)
{
    DeleteFileW(kControlPanelLogPath);
    CloseHandle(StartProgram(L"C:\\windows\\ctlpnl.exe", L""));
    HWND list = FindSettingsList(20000);
    ASSERT_TRUE(list);
    std::vector<std::wstring> entries = ListViewTexts(list);
    EXPECT_EQ(1, std::count(entries.begin(), entries.end(), L"Vantorix Driver"));
    EXPECT_EQ(1, std::count(entries.begin(), entries.end(), L"Owner Information")) << "among the samples";
    ASSERT_TRUE(TapSettingsEntry(L"Vantorix Driver"));
    EXPECT_EQ(std::vector<std::wstring>{L"Tessar.cpl,0: CPL_INIT=1 CPL_GETCOUNT=1 CPL_NEWINQUIRE=[Vantorix Driver] "
                                        L"CPL_DBLCLK=0 CPL_STOP CPL_EXIT"},
              WaitForTextLines(kControlPanelLogPath, 1, 10000));
    ExpectInFront(MainWindow());
}

} // namespace
