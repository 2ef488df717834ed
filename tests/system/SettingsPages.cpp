// The settings window's pages through the real program, as a user's stylus reaches
// them: which controls each page has and where, what they show and save, taps on the
// painted button strip and the About links, the live Status page and the help viewer.
// Geometry runs on both screens.
#include <algorithm>
#include "PelorinTest.h"
#include <commctrl.h>
#include "Recorder.h"
#include "resource.h"

namespace {

struct SettingsPages : PelorinTest {
    int sx = 1, sy = 1, W = 0, H = 0, MH = 0;

    // The program running, its window shown and in front.
    void Open()
    {
        ASSERT_TRUE(StartRunning());
        ASSERT_TRUE(TapTrayIcon(kWindowClass));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(MainWindow()); }));
        W = GetSystemMetrics(SM_CXSCREEN);
        H = GetSystemMetrics(SM_CYSCREEN);
        sx = W >= 480 ? 2 : 1;
        sy = H >= 480 ? 2 : 1;
        MH = TopBarHeight();
    }
    void Page(int page)
    {
        DWORD_PTR shown = 0;
        SendMessageTimeoutW(FindTabControl(MainWindow()), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &shown);
        if ((int)shown == page)
            return;
        DeleteDebugLog();
        ASSERT_TRUE(TapTab(FindTabControl(MainWindow()), page));
        ASSERT_TRUE(WaitForLog("GUI::InitWindowComponents page: " + std::to_string(page)));
    }
    HWND Control(int id) const { return GetDlgItem(MainWindow(), id); }
    // The page controls that exist, in id order.
    std::vector<int> Controls() const
    {
        std::vector<int> ids;
        for (int id = IDC_ENABLE_MOUSE; id <= IDC_SHOW_TRAY; ++id)
            if (Control(id))
                ids.push_back(id);
        return ids;
    }
    // A window's rectangle in the settings window's client coordinates.
    RECT Placed(HWND window) const
    {
        RECT r = {};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, MainWindow(), (POINT*)&r, 2);
        return r;
    }
    void Command(int id, WORD notification = BN_CLICKED)
    {
        SendToWindow(WM_COMMAND, MAKEWPARAM(id, notification), (LPARAM)Control(id));
    }
    void Click(int id) { SendMessageTimeoutW(Control(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr); }
    void Choose(int list, int item)
    {
        SendMessageTimeoutW(Control(list), CB_SETCURSEL, item, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        Command(list, CBN_SELCHANGE);
    }
    // A tap on the window's client area, as the window receives it.
    void TapClient(int x, int y) { SendToWindow(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    LRESULT Ask(int id, UINT message, WPARAM wParam = 0)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(Control(id), message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
        return (LRESULT)result;
    }
    // Pixels of one colour in a rectangle of the window's client area.
    int CountColour(RECT box, COLORREF colour) const
    {
        MapWindowPoints(MainWindow(), nullptr, (POINT*)&box, 2);
        int n = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                n += ScreenPixel(x, y) == colour;
        return n;
    }
    RECT Units(int l, int t, int r, int b) const { return {l * sx, t * sy, r * sx, b * sy}; }

    void CheckGeometry();
};

struct SettingsPagesHiRes : SettingsPages {};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Page changes rebuild the page from the settings; the Status soft key selects tab 2.
TEST_F(SettingsPages, EachPageHasItsControlsBuiltFromTheSettings)
{
    SetDword(L"Speed", 6);
    SetDword(L"Enable_KB", 0);
    Open();
    const std::vector<int> mouse = {IDC_ENABLE_MOUSE, IDC_ACTION_LIST, IDC_CURSOR_PREVIOUS, IDC_CURSOR_NEXT,
                                    IDC_SPEED_LIST};
    EXPECT_EQ(mouse, Controls());
    EXPECT_EQ(17, Ask(IDC_ACTION_LIST, CB_GETCOUNT));
    EXPECT_EQ(11, Ask(IDC_SPEED_LIST, CB_GETCOUNT));
    EXPECT_EQ(6, Ask(IDC_SPEED_LIST, CB_GETCURSEL));

    Page(1);
    EXPECT_EQ((std::vector<int>{IDC_ENABLE_KB, IDC_KB_SOUNDS}), Controls());
    EXPECT_EQ(BST_UNCHECKED, Ask(IDC_ENABLE_KB, BM_GETCHECK));
    Page(0);
    EXPECT_EQ(mouse, Controls());
    EXPECT_EQ(6, Ask(IDC_SPEED_LIST, CB_GETCURSEL));

    for (int visit = 0; visit < 2; ++visit) {
        SendToWindow(WM_COMMAND, IDM_STATUS, 0);
        EXPECT_EQ((std::vector<int>{IDC_STATUS_DISPLAY, IDC_AUTOSTART, IDC_SHOW_TRAY}), Controls());
        DWORD_PTR tab = 0;
        SendMessageTimeoutW(FindTabControl(MainWindow()), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &tab);
        EXPECT_EQ(2u, tab);
        EXPECT_FALSE(IsWindowEnabled(Control(IDC_STATUS_DISPLAY)));
        EXPECT_EQ(BST_CHECKED, Ask(IDC_STATUS_DISPLAY, BM_GETCHECK));
        Page(4);
        EXPECT_TRUE(Controls().empty());
    }
}

void SettingsPages::CheckGeometry()
{
    Open();
    struct Expected {
        int id;
        RECT box;
    } expected[] = {
        {IDC_ENABLE_MOUSE, Units(5, 0, 245, 20)},
        {IDC_CURSOR_PREVIOUS, {48 * sx, 140 * sy, 48 * sx + 20 * sy, 160 * sy}},
        {IDC_CURSOR_NEXT, {88 * sx, 140 * sy, 88 * sx + 20 * sy, 160 * sy}},
    };
    for (const Expected& e : expected)
        EXPECT_TRUE(SameRect(e.box, Placed(Control(e.id)))) << e.id << " at " << Text(Placed(Control(e.id)));
    EXPECT_EQ(160 * sx, Placed(Control(IDC_SPEED_LIST)).left);
    RECT tabs = Placed(FindTabControl(MainWindow()));
    EXPECT_TRUE(SameRect({0, H - 2 * MH - 22 * sy, W, H - 2 * MH}, tabs)) << Text(tabs);

    // The action list follows the tapped button; the wheel directions share the
    // columns of the left and middle buttons. A tap on the strip's right edge selects nothing.
    const int column[5] = {0, 1, 2, 1, 2};
    for (int button = 0; button < 5; ++button) {
        TapClient(48 * sx * button + 10 * sx, 60 * sy);
        EXPECT_EQ(5 * sx + 48 * sx * column[button], Placed(Control(IDC_ACTION_LIST)).left) << "button " << button;
    }
    TapClient(47 * sx, 60 * sy);
    EXPECT_EQ(5 * sx, Placed(Control(IDC_ACTION_LIST)).left) << "x = 47 is the first button";
    TapClient(240 * sx, 60 * sy);
    EXPECT_EQ(5 * sx, Placed(Control(IDC_ACTION_LIST)).left) << "x = 240 is past the strip";
    TapClient(48 * sx, 60 * sy);
    EXPECT_EQ(5 * sx + 48 * sx, Placed(Control(IDC_ACTION_LIST)).left) << "x = 48 is the second button";

    Page(3);
    HWND viewer = FindWindowExW(MainWindow(), nullptr, L"DISPLAYCLASS", nullptr);
    ASSERT_NE(nullptr, viewer);
    RECT help = Placed(viewer);
    EXPECT_TRUE(SameRect({5 * sx, 5 * sx, W - 5 * sx, 5 * sx + H - 2 * (5 * sx + 10 * sy + MH)}, help)) << Text(help);
}

TEST_F(SettingsPages, GeometryOfTheSmallScreen) { CheckGeometry(); }
TEST_F(SettingsPagesHiRes, GeometryOfTheLargeScreen) { CheckGeometry(); }

// Each check box saves its setting at once; the cursor buttons stop at both ends
// without saving; the speed list saves; choosing a plain action keeps the texts of
// a program the button opened before.
TEST_F(SettingsPages, CommandsSaveAtOnce)
{
    SetDword(L"Cursor", 0);
    SetDword(L"Right_Button_Action", 9); // Open Program
    SetText(L"Right_Button_Param1", L"\\Program Files\\Notes\\notes.exe");
    Open();
    struct Box {
        int page, id;
        const wchar_t* setting;
        const char* log;
    } boxes[] = {
        {0, IDC_ENABLE_MOUSE, L"Enable_Mouse", "GUI:P0 ManageFilter(1,"},
        {1, IDC_ENABLE_KB, L"Enable_KB", "GUI:P1 ManageFilter( 1,"},
        {1, IDC_KB_SOUNDS, L"KBSounds", nullptr},
        {2, IDC_AUTOSTART, L"Enable_Autostart", nullptr},
    };
    for (const Box& box : boxes) {
        Page(box.page);
        DWORD before = GetDword(box.setting);
        Click(box.id);
        EXPECT_EQ(before ? 0u : 1u, GetDword(box.setting)) << ToUtf8(box.setting);
        if (box.log) {
            EXPECT_TRUE(WaitForLog(box.log)) << box.log;
        }
        Click(box.id);
        EXPECT_EQ(before, GetDword(box.setting)) << ToUtf8(box.setting);
    }

    Page(0);
    DeleteDebugLog();
    Command(IDC_CURSOR_PREVIOUS); // at 0: a beep, nothing saved
    EXPECT_EQ(0u, GetDword(L"Cursor"));
    EXPECT_LT(FindMessage(Log(), "SaveSettings"), 0);
    for (int i = 0; i < 10; ++i)
        Command(IDC_CURSOR_NEXT);
    EXPECT_EQ(9u, GetDword(L"Cursor"));
    Choose(IDC_SPEED_LIST, 8);
    EXPECT_EQ(8u, GetDword(L"Speed"));

    TapClient(48 * sx * 2 + 10, 60 * sy); // the right button
    Choose(IDC_ACTION_LIST, 4);          // Scroll Up
    EXPECT_EQ(4u, GetDword(L"Right_Button_Action"));
    EXPECT_EQ(L"\\Program Files\\Notes\\notes.exe", GetText(L"Right_Button_Param1"));
}

TEST_F(SettingsPages, TrayIconFollowsItsCheckBox)
{
    Open();
    Page(2);
    ASSERT_EQ(1u, ReadTrayIcons().size());
    Click(IDC_SHOW_TRAY);
    EXPECT_EQ(0u, ReadTrayIcons().size());
    EXPECT_EQ(0u, GetDword(L"Enable_Tray"));
    Click(IDC_SHOW_TRAY);
    std::vector<TrayIconEntry> icons = ReadTrayIcons();
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ((UINT)TRAY_ICON_ID, icons[0].id);
}

// The links open the browser at their exact edges; elsewhere a tap opens nothing.
TEST_F(SettingsPages, AboutLinksOpenTheBrowser)
{
    Open();
    Page(4);
    ClearLaunches();
    TapClient(54 * sx, 100 * sy);  // left of the WEB row's link
    TapClient(55 * sx, 100 * sy);  // its top-left edge
    TapClient(240 * sx, 160 * sy); // the Help row's bottom-right edge
    std::vector<std::wstring> launches = WaitForLaunches(2, 10000);
    ASSERT_EQ(2u, launches.size());
    std::sort(launches.begin(), launches.end());
    EXPECT_EQ(L"iexplore.exe http://www.morvane.com/index.php?section=support", launches[0]);
    EXPECT_EQ(L"iexplore.exe http://www.morvane.example/vantorix", launches[1]);
}

// The Status page follows the driver without a touch: ON in blue, OFF in red.
TEST_F(SettingsPages, StatusPageShowsTheAttachmentLive)
{
    const COLORREF blue = RGB(0, 0, 0xFF), red = RGB(0xFF, 0, 0);
    Open();
    SendToWindow(WM_COMMAND, IDM_STATUS, 0);
    RECT mouse = Units(80, 100, 120, 120);
    ASSERT_TRUE(WaitUntil([&] { return CountColour(mouse, red) > 5; })) << "OFF in red";
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    EXPECT_TRUE(WaitUntil([&] { return CountColour(mouse, blue) > 5 && CountColour(mouse, red) == 0; }))
        << "ON in blue";
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return CountColour(mouse, red) > 5 && CountColour(mouse, blue) == 0; }));
}

// The frame marks the selected button, the action name stands under each button,
// the preview shows the chosen shape, and an empty web name leaves its place blank.
TEST_F(SettingsPages, PaintedPartsFollowTheSettings)
{
    SetDword(L"Wheel_Down_Action", 99); // only a damaged value holds this
    SetText(kAboutWebNameValue, L"");
    Open();
    auto ink = [&](RECT box) { return 48 * 24 - CountColour(box, RGB(0xFF, 0xFF, 0xFF)); };
    RECT frameOfButton0 = Units(1, 41, 4, 104), frameOfButton3 = Units(145, 41, 148, 104);
    int before0 = ink(frameOfButton0), before3 = ink(frameOfButton3);
    TapClient(48 * sx * 3 + 10, 60 * sy);
    ASSERT_TRUE(WaitUntil([&] { return ink(frameOfButton3) > before3; })) << "no frame at button 3";
    EXPECT_LT(ink(frameOfButton0), before0) << "the frame stayed at button 0";
    for (int i = 0; i < 5; ++i)
        EXPECT_GT(ink(Units(48 * i + 4, 83, 48 * i + 44, 103)), 0) << "no name under button " << i;

    RECT preview = Units(73, 140, 83, 160);
    auto cell = [&] {
        std::string pixels;
        RECT screen = preview;
        MapWindowPoints(MainWindow(), nullptr, (POINT*)&screen, 2);
        for (int y = screen.top; y < screen.bottom; ++y)
            for (int x = screen.left; x < screen.right; ++x)
                pixels += std::to_string(ScreenPixel(x, y)) + " ";
        return pixels;
    };
    std::string shape0 = cell();
    for (int i = 0; i < 9; ++i)
        Command(IDC_CURSOR_NEXT);
    EXPECT_TRUE(WaitUntil([&] { return cell() != shape0; })) << "the preview did not change to shape 9";

    Page(4);
    EXPECT_EQ(0, CountColour(Units(55, 100, 240, 120), RGB(0, 0, 0xFF))) << "an empty web name drew something";
    EXPECT_GT(CountColour(Units(55, 140, 240, 160), RGB(0, 0, 0xFF)), 0);
}

// A turned screen moves the tab strip to the new bottom and refits the help viewer.
TEST_F(SettingsPages, RotationRefitsTheTabStripAndTheViewer)
{
    SetDword(L"Middle_Button_Action", 14); // Rotate Screen
    Open();
    Page(3);
    Script("attach mouse\nclick middle");
    ASSERT_TRUE(WaitUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 320; })) << "the screen did not turn";
    W = 320;
    H = 240;
    RECT tabs = Placed(FindTabControl(MainWindow()));
    EXPECT_TRUE(WaitUntil([&] {
        tabs = Placed(FindTabControl(MainWindow()));
        return tabs.top == H - 2 * MH - 22 && tabs.right == W;
    })) << Text(tabs);
    // The viewer is refitted after the tab strip, in the same handler.
    RECT help = {};
    EXPECT_TRUE(WaitUntil([&] {
        help = Placed(FindWindowExW(MainWindow(), nullptr, L"DISPLAYCLASS", nullptr));
        return SameRect({5, 5, W - 5, 5 + H - 2 * (5 + 10 + MH)}, help);
    })) << Text(help);
    Script("click middle\nclick middle\nclick middle");
    EXPECT_TRUE(WaitUntil([] { return ReadDeviceDword(L"Orientation", 99) == 0; }));
}

// The help viewer shows the installed page, scrolls a long one, and survives a
// missing or damaged file.
TEST_F(SettingsPages, HelpPageShowsTheInstalledFile)
{
    Open();
    Page(3);
    EXPECT_TRUE(WaitForLog("WC_HTML ["));
    std::vector<std::string> log = Log();
    EXPECT_NE(std::string::npos, log[FindMessage(log, "WC_HTML [")].find("loading [file://\\Program Files\\Vantorix\\help\\help.html]"));
    HWND viewer = FindWindowExW(MainWindow(), nullptr, L"DISPLAYCLASS", nullptr);
    ASSERT_NE(nullptr, viewer);
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(viewer, GWL_STYLE) & WS_VSCROLL) != 0; }))
        << "the help page is longer than the view";
    RECT text = Placed(viewer);
    text.right = text.left + (text.right - text.left) / 2;
    text.bottom = text.top + 60 * sy;
    EXPECT_GT(CountColour(text, RGB(0, 0, 0)), 20) << "no text in the viewer";

    std::wstring help = InstalledFile(L"help", L"help.html");
    const std::string damaged[] = {"", std::string("<html><b><i><ul><li><a href=\"", 30) + std::string(5000, '<')};
    for (const std::string& content : damaged) {
        HANDLE file = CreateFileW(help.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
        CloseHandle(file);
        Page(0);
        Page(3);
        EXPECT_TRUE(IsRunning());
    }
    DeleteFileW(help.c_str());
    Page(0);
    Page(3);
    EXPECT_TRUE(IsRunning());
    EXPECT_GT(CountColour(text, RGB(0, 0, 0)), 0) << "a missing page shows a message";
}

} // namespace
