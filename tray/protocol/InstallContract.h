// What the installation, the tray program, the control-panel applet and everything
// that drives them agree on: where the program's settings live, how it is started and
// how its window is found. Each of these names exists here and nowhere else.
#pragma once
#include <windows.h>

// The program's key below HKEY_LOCAL_MACHINE. The device takes the leading separator
// as the root; callers of the desktop's own registry functions skip it
// (kProgramKeyPath + 1).
constexpr WCHAR kProgramKeyPath[] = L"\\Software\\Morvane\\Vantorix";

// Values the installation writes and the programs read.
constexpr WCHAR kInstallPathValue[] = L"InstallPath";     // REG_SZ or REG_EXPAND_SZ: the install folder
constexpr WCHAR kEnableDebugValue[] = L"EnableDebug";     // REG_DWORD: 1 writes the debug log
constexpr WCHAR kAboutWebNameValue[] = L"AboutWebName";   // REG_SZ: the About page's web text
constexpr WCHAR kAboutWebLinkValue[] = L"AboutWebLink";   // REG_SZ: the About page's web address
constexpr WCHAR kVersionGUIValue[] = L"VersionGUI";       // REG_SZ: the tray program's version, on the About page
constexpr WCHAR kVersionDriverValue[] = L"VersionDriver"; // REG_SZ: the driver's version, on the About page
constexpr WCHAR kDescriptionValue[] = L"Description";     // REG_SZ: the About page's text
// REG_DWORD, milliseconds without input before the backlight is let go; the tray
// program reads it and never writes it.
constexpr WCHAR kBacklightTimeoutValue[] = L"BacklightTimeout";

// The user's settings, REG_DWORD: an installation may write first ones; the tray
// program reads them at start and writes them back after every change.
constexpr WCHAR kEnableTrayValue[] = L"Enable_Tray";           // nonzero: the tray icon is shown
constexpr WCHAR kEnableAutostartValue[] = L"Enable_Autostart"; // nonzero: the program runs without "-tray"
constexpr WCHAR kEnableMouseValue[] = L"Enable_Mouse";         // nonzero: mouse reports become input
constexpr WCHAR kEnableKBValue[] = L"Enable_KB";               // nonzero: key reports become input
constexpr WCHAR kSpeedValue[] = L"Speed";                      // the pointer speed's place in the speed list
constexpr WCHAR kCursorValue[] = L"Cursor";                    // the cursor shape's place in the cursor strip
constexpr WCHAR kKBSoundsValue[] = L"KBSounds";                // nonzero: a key press clicks

// Each mouse input's three values, in the order Left Button, Middle Button, Right
// Button, Wheel Up, Wheel Down: the input's name with its blanks as underscores, then
// "_Action" (REG_DWORD, the action's place in the action list), "_Param1" and
// "_Param2" (REG_SZ, the action's two texts).
struct ButtonValueNames {
    const WCHAR* action;
    const WCHAR* param1;
    const WCHAR* param2;
};
constexpr ButtonValueNames kButtonValueNames[] = {
    {L"Left_Button_Action", L"Left_Button_Param1", L"Left_Button_Param2"},
    {L"Middle_Button_Action", L"Middle_Button_Param1", L"Middle_Button_Param2"},
    {L"Right_Button_Action", L"Right_Button_Param1", L"Right_Button_Param2"},
    {L"Wheel_Up_Action", L"Wheel_Up_Param1", L"Wheel_Up_Param2"},
    {L"Wheel_Down_Action", L"Wheel_Down_Param1", L"Wheel_Down_Param2"},
};

// The tray program: its file in the install folder, the argument that starts it in
// the tray, and its settings window.
constexpr WCHAR kProgramFile[] = L"Pelorin.exe";
constexpr WCHAR kProgramArgument[] = L"-tray";
constexpr WCHAR kWindowClass[] = L"MORVANE.Vantorix";
constexpr WCHAR kWindowTitle[] = L"Vantorix";

// The debug log at the device's root, and the named mutex that every writer of it
// holds while appending a line.
constexpr WCHAR kDebugLogFile[] = L"\\ui.tray.dbg";
constexpr WCHAR kDebugLogLock[] = L"MORVANE.Vantorix.DebugLog";
