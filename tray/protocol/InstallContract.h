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
constexpr WCHAR kInstallPathValue[] = L"InstallPath";   // REG_SZ or REG_EXPAND_SZ: the install folder
constexpr WCHAR kEnableDebugValue[] = L"EnableDebug";   // REG_DWORD: 1 writes the debug log
constexpr WCHAR kAboutWebNameValue[] = L"AboutWebName"; // REG_SZ: the About page's web text
constexpr WCHAR kAboutWebLinkValue[] = L"AboutWebLink"; // REG_SZ: the About page's web address

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
