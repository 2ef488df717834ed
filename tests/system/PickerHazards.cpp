// The pickers of the real Pelorin.exe when the world around them moves: Close Task
// and a rotation while one is open, another button tapped, the settings window
// hidden or destroyed meanwhile, picks longer than a button holds, and an applet
// library that never returns from its start-up routine.
#include "Pickers.h"
#include <atomic>
#include <thread>
#include "Recorder.h"
#include "ProgramMessages.h"
#include "resource.h"

namespace {

const DWORD kCloseTask = 11, kRotateScreen = 14, kOpenProgram = 9, kSwitchTask = 16;
const DWORD kMiddleClick = 1; // the middle button's installed action

// Right button: Close Task; wheel up: Rotate Screen.
struct PickerHazards : PickerTest {
    void Arrange() override
    {
        SetDword(L"Right_Button_Action", kCloseTask);
        SetDword(L"Wheel_Up_Action", kRotateScreen);
    }
    static RECT Rect(HWND window)
    {
        RECT r = {};
        GetWindowRect(window, &r);
        return r;
    }
};

// A task action aimed at an open picker (the right button): Close Task hides it, and
// a picker that stays hidden ends as cancelled; Switch Task sends it behind the
// others, where it stays open and is confirmed later.
struct TaskActionRow {
    const char* name;
    DWORD action;
    bool staysOpen;
};
const TaskActionRow kTaskActionRows[] = {
    {"CloseTaskEndsItAsCancelled", kCloseTask, false},
    {"SwitchTaskSendsItBehindStillOpen", kSwitchTask, true},
};

struct TaskActionOnAPicker : PickerHazards, ::testing::WithParamInterface<TaskActionRow> {
    void Arrange() override { SetDword(L"Right_Button_Action", GetParam().action); }
};

TEST_P(TaskActionOnAPicker, LeavesItAsTheActionMeans)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    tree.Select(tree.ExpandPath({L"system.cpl", L"Memory"}));
    Script("attach mouse\nclick right");
    if (!GetParam().staysOpen) {
        ASSERT_TRUE(WaitClosed(picker)) << "the picker stayed, or the settings window stayed disabled";
        EXPECT_EQ(kMiddleClick, GetDword(L"Middle_Button_Action")) << "closed as cancelled";
        picker = OpenPicker(1, 10);
        ASSERT_NE(nullptr, picker) << "a later picker is refused";
        ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
        ASSERT_TRUE(WaitClosed(picker));
        return;
    }
    Drain();
    Sleep(2500); // longer than a hidden picker is given to show again
    EXPECT_TRUE(IsWindow(picker) && IsWindowVisible(picker)) << "the picker was closed";
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\windows\\system.cpl,1", GetText(L"Middle_Button_Param1")) << "the pick was lost";
}

INSTANTIATE_TEST_SUITE_P(Table, TaskActionOnAPicker, ::testing::ValuesIn(kTaskActionRows),
                         [](const ::testing::TestParamInfo<TaskActionRow>& info) { return std::string(info.param.name); });

// The shell reads the picker's activation record as it follows the new screen.
TEST_F(PickerHazards, APickerFollowsTheScreenWhenItTurns)
{
    DWORD refused = ReadDeviceDword(L"ActivationRecordsRefused");
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    const std::pair<int, int> screens[] = {{320, 240}, {240, 320}};
    for (const auto& [w, h] : screens) {
        Script(w == 320 ? "attach mouse\nwheel 1" : "wheel 1\nwheel 1\nwheel 1");
        ASSERT_TRUE(WaitUntil([&] { return GetSystemMetrics(SM_CXSCREEN) == w; })) << "the screen did not turn";
        int barTop = h - TopBarHeight();
        RECT p, b, k, t;
        EXPECT_TRUE(WaitUntil([&] {
            HWND bar = FindSoftKeyBar(picker);
            p = Rect(picker), b = Rect(bar), k = Rect(FindWindowExW(bar, nullptr, L"button", L"OK"));
            t = Rect(GetDlgItem(picker, IDC_APPLET_TREE));
            return p.right == w && p.bottom == barTop && b.top == barTop && b.right == w && k.bottom <= h &&
                   k.right <= w && t.right == w && t.bottom <= barTop;
        })) << w << "x" << h << ": the picker, its tree or its soft keys did not follow: picker " << p.right << "x"
            << p.bottom << ", bar " << b.top << "-" << b.bottom << " wide " << b.right << ", OK key to " << k.right
            << "x" << k.bottom << ", tree to " << t.right << "x" << t.bottom;
    }
    EXPECT_EQ(refused, ReadDeviceDword(L"ActivationRecordsRefused")) << "the shell was given no activation record";
    ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
    ASSERT_TRUE(WaitClosed(picker));
}

// The program picker leaves the settings window usable: a tap on another button
// meanwhile does not take the pick from the button whose list opened the picker.
TEST_F(PickerHazards, APickBelongsToTheButtonThatOpenedThePicker)
{
    DWORD left = GetDword(L"Left_Button_Action");
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    SendToWindow(WM_LBUTTONUP, 0, MAKELPARAM(10, 60 * ScreenScaleY())); // the left button in the strip
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    tree.Select(tree.ExpandPath({L"\\", L"Program Files", L"Notes", L"notes.exe"}));
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(kOpenProgram, GetDword(L"Right_Button_Action"));
    EXPECT_EQ(L"\\Program Files\\Notes\\notes.exe", GetText(L"Right_Button_Param1"));
    EXPECT_EQ(left, GetDword(L"Left_Button_Action"));
    EXPECT_EQ(L"", GetText(L"Left_Button_Param1"));
}

// "Hide" pressed while the program picker is open: the keys go to the window in
// front afterwards, not to the hidden settings window.
TEST_F(PickerHazards, KeysReachTheWindowInFrontWhenThePickerClosesOntoAHiddenOwner)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == MainWindow(); }));
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    SendToWindow(WM_COMMAND, IDM_HIDE, 0);
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    tree.Select(tree.ExpandPath({L"\\", L"Program Files", L"Notes", L"notes.exe"}));
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_FALSE(IsWindowVisible(MainWindow()));
    HWND front = GetForegroundWindow();
    EXPECT_TRUE(front && IsWindowVisible(front)) << "an invisible window in front";
    recorder.Received();
    Script("key press A 0x1E");
    Drain();
    EXPECT_EQ((std::vector<std::string>{"A down 1E", "A up 1E"}), recorder.Inputs()) << "typed keys went nowhere";
}

// Picks are held to what a button stores (254 characters): a longer text cannot be
// typed, and a longer path cannot be confirmed.
struct LongPicks : PickerHazards {
    const std::wstring folder = L"C:\\LongNames";
    // "\LongNames\" and a name: the program's path has `length` characters.
    std::wstring Name(size_t length) const { return std::wstring(length - 11 - 4, L'n') + L".exe"; }
    void Arrange() override
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        for (size_t length : {254, 255})
            CloseHandle(CreateFileW((folder + L"\\" + Name(length)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    0, nullptr));
    }
};

TEST_F(LongPicks, APickLongerThanAButtonHoldsIsRefused)
{
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    tree.Select(tree.ExpandPath({L"\\", L"LongNames", Name(255)}));
    std::wstring stored = GetText(L"Right_Button_Param1");
    PressSoftKey(picker, L"OK");
    EXPECT_FALSE(WaitUntil([&] { return !IsWindow(picker); }, 1000)) << "OK took a path the button cannot hold";
    EXPECT_EQ(stored, GetText(L"Right_Button_Param1")) << "a path the button cannot hold was stored";

    tree.Select(tree.Find(tree.ExpandPath({L"\\", L"LongNames"}), Name(254)));
    HWND parameter = Control(picker, IDC_PROGRAM_PARAMETER);
    for (int i = 0; i < 300; ++i)
        PostMessageW(parameter, WM_CHAR, L'0' + i % 10, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(parameter).size() == 254; })) << WindowText(parameter).size();
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\LongNames\\" + Name(254), GetText(L"Right_Button_Param1"));
    EXPECT_EQ(254u, GetText(L"Right_Button_Param2").size());
}

// The settings window destroyed while a picker is open: termination runs, and
// nothing is stored, saved or logged after it.
TEST_F(PickerHazards, NothingIsSavedOnceTerminationHasBegun)
{
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    tree.Select(tree.ExpandPath({L"\\", L"Program Files", L"Notes", L"notes.exe"}));
    PostMessageW(MainWindow(), WM_COMMAND, IDC_EXIT, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 15000)) << "the program did not end";
    std::vector<std::string> log = Log();
    auto term = std::find(log.begin(), log.end(), "TERM-5: Sending WM_QUIT");
    ASSERT_NE(log.end(), term);
    for (auto line = term + 1; line != log.end(); ++line)
        EXPECT_EQ(0u, line->rfind("GUI::Release", 0)) << "after termination: " << *line;
    EXPECT_EQ(kCloseTask, GetDword(L"Right_Button_Action"));
}

// A library in \windows that leaves the system's loader held for good, however: its
// own start-up never returns, or a library it loads from CPL_INIT, or from CPL_EXIT
// after it was left to itself for a late answer. The picker loads no more libraries,
// keeps what it listed, and ends; the settings window answers, its Help page and
// Bluetooth command too; driver input is never held up; a second start and the
// program's own end do not hang.
struct HeldLoaderRow {
    const char* name;
    const wchar_t* library; // copied into \windows
    DWORD goesOnMs;         // how long it goes on by itself once left, before it holds the loader
};
const HeldLoaderRow kHeldLoaderRows[] = {
    {"StartUpNeverReturns", L"stuck.cpl", 0},
    {"InitLoadsALibraryThatNeverStarts", L"stuckinit.cpl", 0},
    {"ExitAfterALateAnswerLoadsALibraryThatNeverStarts", L"stuckexit.cpl", 3000},
};

struct HeldLoader : PickerHazards, ::testing::WithParamInterface<HeldLoaderRow> {
    std::wstring path = std::wstring(L"C:\\windows\\") + GetParam().library;
    const wchar_t* const helper = L"C:\\windows\\stuckhelper.dll";
    void Arrange() override
    {
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), path.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), helper, FALSE));
        SetDword(L"Right_Button_Action", kOpenProgram);
        SetText(L"Right_Button_Param1", L"\\Program Files\\Notes\\notes.exe");
        SetDword(L"KBSounds", 1);
    }
    ~HeldLoader() override // after the program, which cannot let them go, has gone
    {
        DeleteFileW(path.c_str());
        DeleteFileW(helper);
    }
};

TEST_P(HeldLoader, HoldsNothingButItself)
{
    // The Help page once while the loader answers: Wine binds parts of its own code
    // (a scroll bar's, the first time one shows) through the loader, which the device
    // does not. Each later showing of the page is the program's own work.
    HWND tabs = FindTabControl(MainWindow());
    ASSERT_TRUE(TapTab(tabs, 3) && WaitForLog("WC_HTML [") && TapTab(tabs, 0));
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HTREEITEM owner = tree.ExpandPath({L"owner.cpl", L"Owner Information"});
    HTREEITEM held = tree.Find(nullptr, GetParam().library);
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    std::atomic<bool> answered(false);
    std::thread tap([&] { tree.TapButton(held); answered = true; });
    // Keys typed while the library is waited for, with key clicks on: a click that
    // cannot be played is dropped, not waited for.
    Sleep(1000);
    DWORD start = GetTickCount();
    Script("key press A 0x1E\nkey press B 0x30\nkey press C 0x2E");
    Drain();
    EXPECT_LT(GetTickCount() - start, 3000u) << "the listener waited on a key click";
    EXPECT_EQ((std::vector<std::string>{"A down 1E", "A up 1E", "B down 30", "B up 30", "C down 2E", "C up 2E"}),
              recorder.Inputs());
    EXPECT_TRUE(WaitUntil([&] { return answered.load(); }, 15000)) << "the picker still waits on the library";
    tap.join();
    EXPECT_TRUE(tree.Children(held).empty());
    Sleep(GetParam().goesOnMs);
    // A library loaded now would wait on the loader as long as a library is waited
    // for (5 s): the picker answers at once, loading nothing.
    HTREEITEM system = tree.Find(nullptr, L"system.cpl");
    DWORD tapped = GetTickCount();
    tree.TapButton(system);
    EXPECT_LT(GetTickCount() - tapped, 2500u) << "the picker tried to load system.cpl";
    EXPECT_TRUE(tree.Children(system).empty());
    tree.Select(owner);
    EXPECT_EQ(L"\\windows\\owner.cpl,0", WindowText(Control(picker, IDC_APPLET_CHOICE)));
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    // Freeing its controls could wait on the loader: the picker is hidden and left.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(picker) && IsWindowEnabled(MainWindow()); }));
    SendToWindow(WM_NULL, 0, 0);
    EXPECT_EQ(L"\\windows\\owner.cpl,0", GetText(L"Middle_Button_Param1"));
    // Choosing "Open Program" opens no picker now: its window would need the loader.
    HWND actions = GetDlgItem(MainWindow(), IDC_ACTION_LIST);
    SendMessageW(actions, CB_SETCURSEL, kOpenProgram, 0);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(MainWindow(), WM_COMMAND, MAKEWPARAM(IDC_ACTION_LIST, CBN_SELCHANGE),
                                    (LPARAM)actions, SMTO_ABORTIFHUNG, 10000, &answer))
        << "the settings window is held by a picker";
    EXPECT_EQ(nullptr, FindWindowW(nullptr, kProgramTitle)) << "a picker opened";
    EXPECT_TRUE(IsWindowEnabled(MainWindow()));

    ASSERT_TRUE(recorder.Start());
    start = GetTickCount();
    Script("attach mouse\nclick right\nkey press A 0x1E\nkey press B 0x30");
    Drain();
    EXPECT_LT(GetTickCount() - start, 3000u) << "driver input waited";
    // Only the log tells that the click was handled and the launch refused: a launch
    // tried all the same would wait on the loader and start nothing either.
    EXPECT_TRUE(WaitForLog("LaunchProgram: [\\Program Files\\Notes\\notes.exe] not started"));
    EXPECT_EQ((std::vector<std::string>{"A down 1E", "A up 1E", "B down 30", "B up 30"}), recorder.Inputs());

    start = GetTickCount();
    EXPECT_EQ(0, RunToExit(kProgramArgument, 10000)) << "a second start hung";
    EXPECT_LT(GetTickCount() - start, 5000u);
    // The Help page and the Bluetooth command show the busy cursor, loaded at start-up.
    // (Last before the end: once the help viewer has shown, Wine binds more of its own
    // code through the loader when the focus moves.)
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    EXPECT_TRUE(TapTab(tabs, 3)) << "the Help page did not open";
    EXPECT_TRUE(SendMessageTimeoutW(MainWindow(), WM_COMMAND, IDC_BLUETOOTH, 0, SMTO_ABORTIFHUNG, 10000, &answer))
        << "the Bluetooth command held the settings window";
    start = GetTickCount();
    PostMessageW(MainWindow(), WM_COMMAND, IDC_EXIT, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 10000)) << "the program did not end";
    EXPECT_LT(GetTickCount() - start, 5000u);
}

INSTANTIATE_TEST_SUITE_P(Table, HeldLoader, ::testing::ValuesIn(kHeldLoaderRows),
                         [](const ::testing::TestParamInfo<HeldLoaderRow>& info) { return std::string(info.param.name); });

// A library whose start-up takes 8 s holds the loader only so long: it is left
// after 5 s, and once its start-up returns everything comes back: libraries load,
// the picker closes as usual and opens again, keys click, programs start.
struct SlowStartUp : PickerHazards {
    const wchar_t* const path = L"C:\\windows\\slowstart.cpl";
    void Arrange() override
    {
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), path, FALSE));
        SetDword(L"Right_Button_Action", kOpenProgram);
        SetText(L"Right_Button_Param1", L"\\Program Files\\Notes\\notes.exe");
        SetDword(L"KBSounds", 1);
    }
    ~SlowStartUp() override { DeleteFileW(path); }

    DWORD tapped = 0; // when the slow library's button was tapped
    // Returns once the picker has waited for the slow library and left it.
    void TapTheSlowLibrary(const RemoteTree& tree)
    {
        tapped = GetTickCount();
        tree.TapButton(tree.Find(nullptr, L"slowstart.cpl"));
    }
    void WaitUntilTheStartUpHasReturned()
    {
        for (DWORD spent = GetTickCount() - tapped; spent < 10000; spent = GetTickCount() - tapped)
            Sleep(10000 - spent);
    }
};

TEST_F(SlowStartUp, EverythingComesBackWhenItReturns)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    TapTheSlowLibrary(tree);
    EXPECT_GE(GetTickCount() - tapped, 4900u) << "left before its five seconds";
    HTREEITEM system = tree.Find(nullptr, L"system.cpl");
    tree.TapButton(system);
    EXPECT_TRUE(tree.Children(system).empty()) << "a library was loaded while the loader was held";
    WaitUntilTheStartUpHasReturned();

    HTREEITEM owner = tree.ExpandPath({L"owner.cpl", L"Owner Information"});
    ASSERT_NE(nullptr, owner) << "libraries are not loaded again";
    tree.Select(owner);
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker)) << "the picker was left instead of closed";
    EXPECT_EQ(L"\\windows\\owner.cpl,0", GetText(L"Middle_Button_Param1"));

    ClearLaunches();
    DWORD clicks = ReadDeviceDword(L"KeyClicks");
    Script("attach mouse\nclick right\nkey press A 0x1E");
    EXPECT_TRUE(WaitUntil([&] { return ReadDeviceDword(L"KeyClicks") > clicks; })) << "keys make no sound";
    EXPECT_EQ(std::vector<std::wstring>{L"notes.exe"}, WaitForLaunches(1, 10000)) << "no program starts";
    picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker) << "no picker opens";
    ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
    ASSERT_TRUE(WaitClosed(picker));
}

// Closed while the slow start-up still holds the loader, the picker is hidden and
// left; once the start-up has returned, the next opening destroys it and opens a
// picker that works as ever.
TEST_F(SlowStartUp, APickerLeftWhileTheLoaderWasHeldGivesWayToTheNextOpening)
{
    HWND left = OpenPicker(1, 10);
    ASSERT_NE(nullptr, left);
    TapTheSlowLibrary(RemoteTree(Control(left, IDC_APPLET_TREE)));
    ASSERT_TRUE(PressSoftKey(left, L"Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(left) && IsWindowEnabled(MainWindow()); }));
    ASSERT_TRUE(IsWindow(left)) << "destroyed, not left: was the loader still held?";
    WaitUntilTheStartUpHasReturned();

    ASSERT_TRUE(ChooseButtonAction(MainWindow(), 1, 10));
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        picker = FindWindowW(nullptr, kAppletTitle);
        return picker && picker != left && SendMessageW(Control(picker, IDC_APPLET_TREE), TVM_GETCOUNT, 0, 0) > 0;
    }, 10000)) << "no picker opens after one was left";
    EXPECT_FALSE(IsWindow(left)) << "the picker left hidden stays";
    RemoteTree next(Control(picker, IDC_APPLET_TREE));
    HTREEITEM owner = next.ExpandPath({L"owner.cpl", L"Owner Information"});
    ASSERT_NE(nullptr, owner);
    next.Select(owner);
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\windows\\owner.cpl,0", GetText(L"Middle_Button_Param1"));
}

} // namespace
