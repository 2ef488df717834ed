// The actions that act on the device rather than shape a pointer event, as DoAction
// carries them out on the emulated device. Each row is a test of its own, named by its
// first field: it binds the left button, puts a window in front and runs the action;
// then the debug log, the stand-ins' launch log, the device's counters and the front
// window's fate are compared with the row.
#include <gtest/gtest.h>
#include "DebugLogFile.h"
#include "DeviceKit.h"
#include "Recorder.h"
#include "Sequence.h"
#include "WaitUntil.h"
#include "core/DebugLog.h"
#include "core/Launch.h"
#include "gui/GUI.h"
#include "input/ButtonActions.h"
#include "input/TaskActions.h"
// The desktop's own GetForegroundWindow: the test sees which window really is in front.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"
#include "core/PublishedButtons.h"

namespace {

enum Front { TODAY_SCREEN, ROOT_WINDOW, TOP_BAR, OK_DIALOG, OWN_WINDOW, OTHER_PROGRAM };
const char* const kFrontNames[] = {"the Today screen", "the desktop's root window", "the top bar",
                                   "a dialog with an OK button", "a window of the test", "another program"};
enum Fate { STAYS, ANSWERED_OK, CLOSED, HIDDEN, SENT_BACK, DESKTOP_IN_FRONT };

struct Row {
    const char* name;
    int action;
    const wchar_t* param1;
    const wchar_t* param2;
    Front front;                  // the window in front when the action runs
    std::vector<std::string> log; // the documented lines of the debug log (kLogLines)
    const wchar_t* launch;        // the launch log's one line, or null for none
    const wchar_t* counted;       // a device counter that goes up by one, or null
    Fate fate;                    // what becomes of the front window
};

const Row kRows[] = {
    // Close Task spares the desktop, answers a window with an OK button in its caption,
    // sends the shell's own windows back, only hides the program's own (closing them
    // would end the program) and closes any other window.
    {"CloseTaskSparesTheTodayScreen", ACTION_CLOSE_TASK, L"", L"", TODAY_SCREEN,
     {"DoAction: 0", "Close Task: ", "Abort - this is Desktop"}, nullptr, nullptr, STAYS},
    {"CloseTaskSparesTheRootWindow", ACTION_CLOSE_TASK, L"", L"", ROOT_WINDOW,
     {"DoAction: 0", "Close Task: ", "Abort - this is Desktop"}, nullptr, nullptr, STAYS},
    {"CloseTaskAnswersAnOkDialog", ACTION_CLOSE_TASK, L"", L"", OK_DIALOG,
     {"DoAction: 0", "Close Task: ", "sent OK"}, nullptr, nullptr, ANSWERED_OK},
    {"CloseTaskSendsTheTopBarBack", ACTION_CLOSE_TASK, L"", L"", TOP_BAR,
     {"DoAction: 0", "Close Task: ", "Real Close wnd=", "Minimize"}, nullptr, nullptr, STAYS},
    {"CloseTaskOnlyHidesOwnWindow", ACTION_CLOSE_TASK, L"", L"", OWN_WINDOW,
     {"DoAction: 0", "Close Task: ", "Real Close wnd="}, nullptr, nullptr, HIDDEN},
    {"CloseTaskClosesAnotherProgram", ACTION_CLOSE_TASK, L"", L"", OTHER_PROGRAM,
     {"DoAction: 0", "Close Task: ", "Real Close wnd=", "Destroy Window"}, nullptr, nullptr, CLOSED},
    // Open Applet starts the control panel with Param1, an applet with or without its
    // index; Open Program starts Param1 with Param2.
    {"OpenAppletWithItsIndex", ACTION_OPEN_APPLET, L"\\windows\\cplmain.cpl,7", L"ignored", OWN_WINDOW,
     {"DoAction: 0"}, L"ctlpnl.exe \\windows\\cplmain.cpl,7", nullptr, STAYS},
    {"OpenAppletWithoutAnIndex", ACTION_OPEN_APPLET, L"\\windows\\cplmain.cpl", L"", OWN_WINDOW, {"DoAction: 0"},
     L"ctlpnl.exe \\windows\\cplmain.cpl", nullptr, STAYS},
    {"OpenProgramWithParameters", ACTION_OPEN_PROGRAM, L"\\windows\\bthbond.exe", L"-one two", OWN_WINDOW,
     {"DoAction: 0"}, L"bthbond.exe -one two", nullptr, STAYS},
    // Switch Task sends the front window back; Show Desktop brings the Today screen.
    {"SwitchTaskSendsTheFrontWindowBack", ACTION_SWITCH_TASK, L"", L"", OWN_WINDOW, {"DoAction: 0"}, nullptr,
     nullptr, SENT_BACK},
    {"ShowDesktopBringsTheTodayScreen", ACTION_SHOW_DESKTOP, L"", L"", OTHER_PROGRAM, {"DoAction: 0"}, nullptr,
     nullptr, DESKTOP_IN_FRONT},
    // Reset and Suspend reach the device.
    {"ResetReachesTheDevice", ACTION_RESET_DEVICE, L"", L"", OWN_WINDOW, {"DoAction: 0"}, nullptr, L"Reboot", STAYS},
    {"SuspendReachesTheDevice", ACTION_SUSPEND, L"", L"", OWN_WINDOW, {"DoAction: 0"}, nullptr, L"Suspend", STAYS},
};

// A failing row shows its name.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// The lines DoAction and Close Task are documented to write; what else the log holds
// is the program's own business.
const char* const kLogLines[] = {"DoAction: ", "Close Task: ", "Abort - this is Desktop", "sent OK",
                                 "Real Close wnd=", "Minimize", "Destroy Window"};

std::vector<std::string> DocumentedLines(const std::vector<std::string>& log)
{
    std::vector<std::string> lines;
    for (const std::string& line : log)
        for (const char* form : kLogLines)
            if (line.rfind(form, 0) == 0) {
                lines.push_back(line);
                break;
            }
    return lines;
}

int s_okAnswers; // IDOK commands received by the test's own windows

LRESULT CALLBACK CountOk(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        ++s_okAnswers;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window of this thread, so that Close Task may destroy it and Switch Task restack
// it. It is kept from row to row: without a window manager Wine takes seconds to
// take a window away.
HWND OwnWindow(DWORD exStyle)
{
    static HWND window;
    if (!IsWindow(window)) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = CountOk;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DeviceActionsTest";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"front", WS_POPUP | WS_VISIBLE, 0, 60, 100, 100, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    }
    SetWindowLongW(window, GWL_EXSTYLE, (LONG)exStyle);
    ShowWindow(window, SW_SHOW);
    return window;
}

void PumpOwnMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

struct DeviceActions : ::testing::Test {
    void SetUp() override { g_debugEnabled = 1; }
    void TearDown() override { g_debugEnabled = 0; }

    // Under Wine the root window comes in front when it is made the foreground while
    // every window is hidden, and they are shown again without being activated: a
    // device with nothing in front.
    static HWND RootInFront()
    {
        std::vector<HWND> shown;
        EnumWindows([](HWND w, LPARAM list) CALLBACK -> BOOL {
            if (IsWindowVisible(w))
                ((std::vector<HWND>*)list)->push_back(w);
            return TRUE;
        }, (LPARAM)&shown);
        for (HWND w : shown)
            ShowWindow(w, SW_HIDE);
        SetForegroundWindow(GetDesktopWindow());
        for (HWND w : shown)
            ShowWindow(w, SW_SHOWNA);
        return GetDesktopWindow();
    }

    HWND PutInFront(Front front)
    {
        if (front == ROOT_WINDOW) {
            HWND root = RootInFront();
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == root; }, 3000)) << "the root is not in front";
            return root;
        }
        HWND window = front == TODAY_SCREEN    ? CeGetDesktopWindow()
                      : front == TOP_BAR       ? FindWindowW(L"HHTaskBar", nullptr)
                      : front == OK_DIALOG     ? OwnWindow(WS_EX_CAPTIONOKBTN)
                      : front == OWN_WINDOW    ? OwnWindow(0)
                      : IsWindow(recorder.Window()) || recorder.Start() ? recorder.Window()
                                                                        : nullptr;
        EXPECT_TRUE(window && WaitUntil([&] {
            SetForegroundWindow(window);
            return GetForegroundWindow() == window;
        }, 3000)) << "no window in front";
        return window;
    }

    void Check(const Row& row)
    {
        SCOPED_TRACE("action " + std::to_string(row.action) + " " + ToUtf8(row.param1) + " with " +
                     kFrontNames[row.front] + " in front");
        g_gui.Buttons[BUTTON_LEFT].Action = row.action;
        wcscpy(g_gui.Buttons[BUTTON_LEFT].Param1, row.param1);
        wcscpy(g_gui.Buttons[BUTTON_LEFT].Param2, row.param2);
        PublishButtonEntries(g_gui);
        HWND front = PutInFront(row.front);
        DeleteDebugLog();
        ClearLaunches();
        s_okAnswers = 0;
        DWORD count = row.counted ? ReadDeviceDword(row.counted) : 0;
        DWORD flags = MOUSEEVENTF_MOVE, sequence = SEQUENCE_SCROLL_UP;

        DoAction(BUTTON_LEFT, flags, sequence);

        EXPECT_EQ((DWORD)MOUSEEVENTF_MOVE, flags) << "the action touched the report's flags";
        EXPECT_EQ((DWORD)SEQUENCE_SCROLL_UP, sequence) << "the action touched the report's sequence";
        ExpectSequence(DocumentedLines(ReadDebugLogMessages()), row.log);
        std::vector<std::wstring> launches = WaitForLaunches(row.launch ? 1 : 0, 15000);
        EXPECT_EQ(row.launch ? std::vector<std::wstring>{row.launch} : std::vector<std::wstring>{}, launches);
        if (row.counted) {
            EXPECT_EQ(count + 1, ReadDeviceDword(row.counted)) << ToUtf8(row.counted);
        }
        switch (row.fate) {
        case STAYS: EXPECT_TRUE(IsWindowVisible(front)) << "the window went"; break;
        case ANSWERED_OK:
            EXPECT_TRUE(WaitUntil([] { PumpOwnMessages(); return s_okAnswers == 1; })) << "no IDOK";
            EXPECT_TRUE(IsWindowVisible(front)) << "the window went";
            break;
        case CLOSED: EXPECT_TRUE(WaitUntil([&] { return !IsWindow(front); })) << "the window stayed"; break;
        case HIDDEN:
            EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(front); })) << "the window stayed";
            EXPECT_TRUE(IsWindow(front)) << "the window was closed";
            break;
        case SENT_BACK:
            EXPECT_TRUE(IsWindowVisible(front)) << "the window went";
            EXPECT_EQ(front, GetWindow(front, GW_HWNDLAST)) << "the window is not at the back";
            break;
        case DESKTOP_IN_FRONT:
            EXPECT_TRUE(WaitUntil([] { return GetForegroundWindow() == CeGetDesktopWindow(); })) << "no Today screen";
            break;
        }
        if (row.front == TOP_BAR)
            SetWindowPos(front, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    Recorder recorder;
};

// One test a row, named by the row.
struct DeviceActionRow : DeviceActions, ::testing::WithParamInterface<Row> {};

TEST_P(DeviceActionRow, DoesWhatTheRowSays) { Check(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, DeviceActionRow, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

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

TEST_F(DeviceActions, BluetoothSettingsFollowThePlatformType)
{
    ClearLaunches();
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

} // namespace
