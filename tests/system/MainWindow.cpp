// The settings window as the shell and the user see it: screen metrics, soft keys,
// tray callback and the Today screen.
#include "PelorinTest.h"
#include "ProgramMessages.h"
#include "resource.h"

namespace {

HWND TopBar() { return FindWindowW(L"HHTaskBar", L""); }

void ExpectMetrics(const std::vector<std::string>& log, const char* expected)
{
    int at = FindMessage(log, "INIT-3: ");
    ASSERT_GE(at, 0);
    EXPECT_EQ(expected, log[at]);
}

struct SettingsWindow : PelorinTest {};

TEST_F(SettingsWindow, MetricsOfThe240x320Screen)
{
    ASSERT_TRUE(StartRunning());
    ExpectMetrics(Log(), "INIT-3: Screen size: 240x320, DRAX(2)=2, DRAY(2)=2, MH=26");

    // The window spans from the top bar to the soft-key bar.
    RECT r;
    GetWindowRect(MainWindow(), &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(26, r.top);
    EXPECT_EQ(240, r.right);
    EXPECT_EQ(320 - 26, r.bottom);
    EXPECT_EQ(0, GetWindowLongW(MainWindow(), GWL_STYLE) & WS_CAPTION) << "no desktop caption on the device";
}

TEST_F(SettingsWindow, TopBarTooLowFallsBackTo26PerScaleFactor)
{
    HWND bar = TopBar();
    ASSERT_NE(nullptr, bar) << "the shell's top bar";
    RECT saved;
    GetWindowRect(bar, &saved);
    SetWindowPos(bar, nullptr, 0, 0, saved.right - saved.left, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    bool started = StartRunning();
    SetWindowPos(bar, nullptr, saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(started);
    ExpectMetrics(Log(), "INIT-3: Screen size: 240x320, DRAX(2)=2, DRAY(2)=2, MH=26");
    EXPECT_GE(FindMessage(Log(), "ComputeSize::Screen size: 240x320 Menu: 26"), 0);
}

TEST_F(SettingsWindow, TrayTapShowsTheWindowOnlyOnRelease)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window));
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID + 1, WM_LBUTTONUP); // another icon's identifier
    EXPECT_FALSE(IsWindowVisible(window));
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));

    // The same through the shell: its tray holds the program's icon, and a tap
    // brings the hidden window back.
    ShowWindow(window, SW_HIDE);
    auto icons = ReadTrayIcons();
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ(window, icons[0].window);
    EXPECT_EQ((UINT)TRAY_ICON_ID, icons[0].id);
    EXPECT_EQ((UINT)WM_TRAY_CALLBACK, icons[0].callback);
    ASSERT_TRUE(TapTrayIcon(kWindowClass));
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(SettingsWindow, SoftKeysHideAndShowStatus)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    ASSERT_TRUE(IsWindowVisible(window));

    // The soft-key bar: the shell's bar at the bottom with the program's two keys.
    HWND hide = nullptr, status = nullptr;
    EnumWindows(
        [](HWND top, LPARAM data) CALLBACK -> BOOL {
            HWND* keys = (HWND*)data;
            if (GetWindow(top, GW_OWNER) == FindWindowW(kWindowClass, kWindowTitle)) {
                keys[0] = FindWindowExW(top, nullptr, L"button", L"Hide");
                keys[1] = FindWindowExW(top, nullptr, L"button", L"Status");
            }
            return TRUE;
        },
        (LPARAM) & hide);
    ASSERT_NE(nullptr, hide);
    ASSERT_NE(nullptr, status = FindWindowExW(GetParent(hide), nullptr, L"button", L"Status"));
    RECT bar;
    GetWindowRect(GetParent(hide), &bar);
    EXPECT_EQ(320 - 26, bar.top);
    EXPECT_EQ(320, bar.bottom);
    EXPECT_TRUE(IsWindowVisible(GetParent(hide)));

    SendMessageW(status, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForLog("GUI, user pressed STATUS"));
    EXPECT_TRUE(WaitForLog("GUI::InitWindowComponents page: 2"));
    SendMessageW(hide, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForLog("GUI, user pressed HIDE "));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_FALSE(IsWindowVisible(GetParent(hide))) << "the bar goes with its window";
    EXPECT_TRUE(IsRunning()) << "Hide only hides";
}

TEST_F(SettingsWindow, TodayScreenInFrontHidesTheWindow)
{
    ASSERT_TRUE(StartRunning());
    HWND window = MainWindow();
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    ASSERT_TRUE(IsWindowVisible(window));
    HWND today = FindWindowW(nullptr, L"Desktop");
    ASSERT_NE(nullptr, today) << "the shell's Today screen";
    // The shell puts the window directly behind the Today screen.
    SetWindowPos(window, today, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window)) << "the tray icon still brings it back";
}

struct SettingsWindowHiRes : PelorinTest {};

TEST_F(SettingsWindowHiRes, MetricsOfThe480x640Screen)
{
    ASSERT_TRUE(StartRunning());
    ExpectMetrics(Log(), "INIT-3: Screen size: 480x640, DRAX(2)=4, DRAY(2)=4, MH=52");
    RECT r;
    GetWindowRect(MainWindow(), &r);
    EXPECT_EQ(52, r.top);
    EXPECT_EQ(640 - 52, r.bottom);
}

} // namespace
