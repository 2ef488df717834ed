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

const DWORD kCloseTask = 11, kRotateScreen = 14, kOpenProgram = 9;
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

TEST_F(PickerHazards, CloseTaskEndsAPickerAsCancelled)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    Script("attach mouse\nclick right");
    ASSERT_TRUE(WaitClosed(picker)) << "the picker stayed, or the settings window stayed disabled";
    EXPECT_EQ(kMiddleClick, GetDword(L"Middle_Button_Action")) << "closed as cancelled";
    picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker) << "a later picker is refused";
    ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
    ASSERT_TRUE(WaitClosed(picker));
}

TEST_F(PickerHazards, APickerFollowsTheScreenWhenItTurns)
{
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

// A library in \windows whose start-up routine never returns holds the system's
// loader for good once it is left to itself: the picker loads no more libraries,
// keeps what it listed, and ends; driver input is never held up; a second start and
// the program's own end do not hang.
struct StuckLibrary : PickerHazards {
    const wchar_t* const path = L"C:\\windows\\stuck.cpl";
    void Arrange() override
    {
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), path, FALSE));
        SetDword(L"Right_Button_Action", kOpenProgram);
        SetText(L"Right_Button_Param1", L"\\Program Files\\Notes\\notes.exe");
        SetDword(L"KBSounds", 1);
    }
    ~StuckLibrary() override { DeleteFileW(path); } // after the program, which cannot let it go, has gone
};

TEST_F(StuckLibrary, HoldsNothingButItself)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HTREEITEM owner = tree.ExpandPath({L"owner.cpl", L"Owner Information"});
    HTREEITEM stuck = tree.Find(nullptr, L"stuck.cpl");
    std::atomic<bool> answered(false);
    std::thread tap([&] { tree.TapButton(stuck); answered = true; });
    EXPECT_TRUE(WaitUntil([&] { return answered.load(); }, 15000)) << "the picker still waits on stuck.cpl";
    tap.join();
    EXPECT_TRUE(tree.Children(stuck).empty());
    // A library loaded now would wait on the loader as long as stuck.cpl was waited
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

    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    DWORD start = GetTickCount();
    Script("attach mouse\nclick right\nkey press A 0x1E");
    Drain();
    EXPECT_LT(GetTickCount() - start, 3000u) << "driver input waited";
    // Only the log tells that the click was handled and the launch refused: a launch
    // tried all the same would wait on the loader and start nothing either.
    EXPECT_TRUE(WaitForLog("LaunchProgram: [\\Program Files\\Notes\\notes.exe] not started"));
    EXPECT_EQ((std::vector<std::string>{"A down 1E", "A up 1E"}), recorder.Inputs());

    start = GetTickCount();
    EXPECT_EQ(0, RunToExit(kProgramArgument, 10000)) << "a second start hung";
    EXPECT_LT(GetTickCount() - start, 5000u);
    start = GetTickCount();
    PostMessageW(MainWindow(), WM_COMMAND, IDC_EXIT, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 10000)) << "the program did not end";
    EXPECT_LT(GetTickCount() - start, 5000u);
}

} // namespace
