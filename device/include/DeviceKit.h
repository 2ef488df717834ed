// Shared by the emulated device's programs and the tests: the device's state and
// the installer step.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "DriverProtocol.h"
#include "InstallContract.h"

// Registry key of the program, as desktop Win32 spells it: without the leading separator.
#define APP_KEY (kProgramKeyPath + 1)

// ---------------------------------------------------------------------------
// Where things are.

// Folder of the device programs (usbsim.exe, recorder.exe, ...) as a Windows path.
std::wstring DeviceBinDirectory();
// Full Windows path of one device program, e.g. DeviceProgramPath(L"usbsim.exe").
std::wstring DeviceProgramPath(const wchar_t* exeName);
// The build's stage folder (data files and Pelorin.exe) as a Windows path (Z:\...).
std::wstring StageDirectory();
// The build's stage folder of what goes into \windows (Tessar.cpl).
std::wstring WindowsStageDirectory();
// "/a/b" -> "Z:\a\b": how Wine shows a host path.
std::wstring HostPathToWindows(const char* unixPath);

// The shell's top bar: 26 pixels per vertical scale factor (1 for screen heights
// below 480, else 2).
int ScreenScaleY();
int TopBarHeight();

// A new file name in C:\emulated (created if need be) for this process's scratch
// files: PREFIX-PID-N.txt, never the same twice.
std::wstring NewScratchFile(const wchar_t* prefix);

// ---------------------------------------------------------------------------
// Installation: what the installer outside the program does.

extern const wchar_t kInstallPath[];   // L"\\Program Files\\Vantorix", the value written
extern const wchar_t kInstallFolder[]; // L"C:\\Program Files\\Vantorix", where the files go
extern const wchar_t kAppletFile[];    // L"C:\\windows\\Tessar.cpl", the control-panel library

// The number a new installation writes for a setting of the program (its settings
// table's), e.g. kBacklightTimeoutValue; 0 for a name it does not know.
DWORD InstalledSetting(const wchar_t* name);

struct InstallOptions {
    DWORD enableDebug = 1;
    DWORD backlightTimeout = InstalledSetting(kBacklightTimeoutValue);
    bool writeFirstSettings = true; // the settings a new user starts with
    bool copyFiles = true;
    std::wstring stageDir;          // empty: StageDirectory()
};

// Deletes the whole program key, writes InstallPath, EnableDebug, the About texts,
// BacklightTimeout and (option) the first settings, then copies Pelorin.exe,
// soundkb.wav, images\* and help\* from the stage folder into kInstallFolder, and
// Tessar.cpl into \windows, where the control panel finds its libraries.
// true when every step succeeded; `error` (optional) tells the first failure.
bool InstallProduct(const InstallOptions& options = InstallOptions(), std::wstring* error = nullptr);
// Removes the program key and the installed files, Tessar.cpl too.
void UninstallProduct();

// ---------------------------------------------------------------------------
// Driver side: the USB host driver's half of the handshake.

DWORD ReadListenerThreadId();                 // INTRCM; 0 when absent
void DeleteListenerThreadId();                // removes INTRCM
void WriteListenerThreadId(DWORD threadId);   // as the program would
// Waits until INTRCM names a thread that accepts messages; returns it, or 0.
DWORD WaitForListener(DWORD timeoutMs);
// PostThreadMessageW; false when the thread is gone or has no message queue.
bool PostDriver(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// A script session of the driver simulator (usbsim.exe). Script commands, one a line,
// '#' starts a comment:
//   attach mouse|keyboard          TM_MOUSESTATUS / TM_KBSTATUS 1
//   detach mouse|keyboard          the same with 0
//   status mouse|keyboard N        the same with any value
//   move DX DY                     mouse report(s); steps beyond +-127 are split
//   wheel N                        one report with wheel movement N (+ up, - down)
//   press|release|click left|right|middle
//   report WHEEL DX DY BUTTONS     one raw report, BUTTONS = mouse_event flags
//   key down|up|press VK SCAN [FLAGS]   key event; "press" is down then up
//   type TEXT                      down/up for each character of TEXT
//   bluetooth N                    TM_BLUETOOTH N
//   post MESSAGE WPARAM LPARAM     any thread message (parameters as wide as WPARAM)
//   sleep MS
//   flood N RATE                   N small moves (alternately +1 and -1) at RATE per
//                                  second; RATE 0 posts as fast as possible
//   wait-listener MS               waits until INTRCM names a live thread
//   close-window CLASS             posts WM_CLOSE to the top-level window of CLASS
// Numbers may be decimal or 0x hex; a VK may also be one character ('A', '1').
enum UsbResult {
    USB_OK = 0,
    USB_BAD_COMMAND = 1,  // a line that is not a command
    USB_NO_LISTENER = 2,  // INTRCM missing
    USB_POST_FAILED = 3,  // the listener thread is gone
    USB_NO_WINDOW = 4,    // close-window found nothing
};
struct UsbSession {
    DWORD threadId = 0;    // 0: read INTRCM before the first post
    unsigned posted = 0;   // messages posted so far
};
UsbResult RunUsbCommand(UsbSession& session, const std::string& line, std::string* message);
// Runs every line; stops at the first failure. `failedLine` gets its 1-based number.
UsbResult RunUsbScript(UsbSession& session, const std::string& script, std::string* message,
                       int* failedLine = nullptr);
// Runs usbsim.exe itself on the script's lines; its exit code (a UsbResult), or -1
// when it did not run in time. `output` (optional) gets what it printed.
int RunUsbsim(const std::string& script, std::string* output = nullptr, DWORD timeoutMs = 60000);

// ---------------------------------------------------------------------------
// Recorder (recorder.exe): the foreground application that logs its input.
//
// File format, one event a line, fields separated by blanks:
//   TICK KIND X Y DELTA VK SCAN
// TICK is GetMessageTime in ms; KIND one of mousemove, lbuttondown, lbuttonup,
// lbuttondblclk, rbuttondown, rbuttonup, mbuttondown, mbuttonup, wheel, keydown,
// keyup, syskeydown, syskeyup, char; X Y are SCREEN coordinates (0 for key events);
// DELTA is the wheel delta (120 per notch); VK the virtual key (the character for
// char); SCAN bits 16-23 of the key message's lParam. Lines starting with '#' are
// comments; the first one names the window: "# recorder HWND LEFT TOP RIGHT BOTTOM".

#define RECORDER_CLASS L"EmulatedRecorder"
#define RECORDER_TITLE L"Recorder"
// Messages the recorder's window accepts from tests (PostMessage):
#define RECORDER_PAINT_PATCH (WM_APP + 1) // wParam MAKELONG(left, top), lParam MAKELONG(right, bottom), screen
#define RECORDER_SET_PATCH_COLOUR (WM_APP + 2) // wParam COLORREF for the next patches
#define RECORDER_SET_BACKGROUND (WM_APP + 3)   // wParam COLORREF; repaints the whole window
#define RECORDER_DEFAULT_BACKGROUND RGB(0xE0, 0xF0, 0xE0)
#define RECORDER_DEFAULT_PATCH RGB(0x20, 0x40, 0xA0)

struct RecorderEvent {
    DWORD time = 0;
    std::string kind;
    int x = 0, y = 0;
    int delta = 0;
    UINT vk = 0;
    UINT scan = 0;
};
bool ParseRecorderLine(const std::string& line, RecorderEvent* event); // false for comments and junk
std::vector<RecorderEvent> ReadRecorderFile(const std::wstring& path);
std::string FormatRecorderEvent(const RecorderEvent& event); // one line, no line break

// ---------------------------------------------------------------------------
// Program stand-ins (\windows\bthbond.exe, iexplore.exe and the programs below
// \Program Files) and the control panel \windows\ctlpnl.exe: each appends
// "NAME.exe ARGS" (lower-case name, UTF-8) to the launch log; the stand-ins then exit.

extern const wchar_t kLaunchLogPath[]; // C:\emulated\launches.txt
bool AppendLaunch(const std::wstring& line);
// The command line after the program's own name, as the program received it.
std::wstring CommandArguments(const wchar_t* commandLine);
std::vector<std::wstring> ReadLaunches();
void ClearLaunches();
// Waits until the log holds at least `count` lines; returns them.
std::vector<std::wstring> WaitForLaunches(size_t count, DWORD timeoutMs);

// The control panel (\windows\ctlpnl.exe) is a real host: "ctlpnl.exe FILE.cpl,N" loads
// the library (a bare name from \windows) and opens applet N; without arguments it
// shows the Settings screen with every applet of every ".cpl" in \windows (the screen
// becomes visible once every entry is listed). Besides its
// launch-log line it notes each opening in its own log, one line:
//   "REFERENCE: CPL_INIT=1 CPL_GETCOUNT=4 CPL_NEWINQUIRE=[Memory] CPL_DBLCLK=0 CPL_STOP CPL_EXIT"
// or, when it could not open the applet, "REFERENCE: failed, REASON".
extern const wchar_t kControlPanelLogPath[]; // C:\emulated\ctlpnl.txt
#define CONTROL_PANEL_CLASS L"EmulatedSettings"  // the Settings screen's window
#define CONTROL_PANEL_TITLE L"Settings"

// The Settings screen's entries, a list view read from the control panel's process.
HWND FindSettingsList(DWORD timeoutMs);            // the shown Settings screen's list, or null
std::vector<std::wstring> ListViewTexts(HWND list); // every item's text, in list order
// Scrolls the first entry of that name into view; its icon's screen rectangle.
bool ShowSettingsEntry(const std::wstring& name, RECT* screenRect = nullptr);
// Taps the first entry of that name with the stylus; false when there is none.
bool TapSettingsEntry(const std::wstring& name);

// Text logs of the device, one UTF-8 line each.
bool AppendTextLine(const wchar_t* path, const std::wstring& line);
std::vector<std::wstring> ReadTextLines(const wchar_t* path);
std::vector<std::wstring> WaitForTextLines(const wchar_t* path, size_t count, DWORD timeoutMs);

// ---------------------------------------------------------------------------
// The emulated device's own state: HKLM\Software\EmulatedDevice. The platform layer
// records there what the real device would do, so tests can see it:
//   Backlight    REG_DWORD  power state the backlight was last asked for (0 = full)
//   Reboot       REG_DWORD  number of resets requested
//   Suspend      REG_DWORD  number of suspends requested
//   Orientation  REG_DWORD  display orientation last set, in degrees
//   KeyClicks    REG_DWORD  number of sounds played from memory (the key click)
//   ActivationRecordsRefused  REG_DWORD  shell calls refused for a missing or
//                damaged activation record (SHHandleWMSettingChange)
// The helpers are generic by value name.

#define DEVICE_STATE_KEY L"Software\\EmulatedDevice"
DWORD ReadDeviceDword(const wchar_t* name, DWORD fallback = 0);
bool HasDeviceValue(const wchar_t* name);
std::wstring ReadDeviceText(const wchar_t* name);
bool WriteDeviceDword(const wchar_t* name, DWORD value);
void ClearDeviceState(); // deletes the whole key

// ---------------------------------------------------------------------------
// The shell's tray (HKLM\Software\EmulatedDevice\Tray): the icons programs have
// added with Shell_NotifyIcon, and a tap on one as the user's stylus makes it.

struct TrayIconEntry {
    HWND window = nullptr;
    UINT id = 0;
    UINT callback = 0;
};
std::vector<TrayIconEntry> ReadTrayIcons();
// Taps the first icon whose window is of `windowClass` (any, when null): the
// callback message with WM_LBUTTONDOWN, then WM_LBUTTONUP. false when none.
bool TapTrayIcon(const wchar_t* windowClass);

// Wine does not count GDI objects per process (GetGuiResources gives 0), but its
// handle table hands out freed slots first: the slot of the next new object climbs
// only while objects are lost.
unsigned NextGdiSlot();

// ---------------------------------------------------------------------------
// The stylus: real taps through the system's input.

// A tap (press and release) at a screen position.
void TapScreen(int x, int y);
// The tab strip of a window, and the screen rectangle of one of its tabs (read from
// the tab control's own process).
HWND FindTabControl(HWND window);
bool TabItemScreenRect(HWND tab, int index, RECT* rect);
// Taps the middle of a tab, scrolling the strip first if need be, until it is
// selected; false when it cannot be reached.
bool TapTab(HWND tab, int index);
// In the settings window: taps mouse input BUTTON (0 to 4) on the button strip and
// chooses ACTION from the action list, as the user does. Returns at once: for
// "Open Program" (9) and "Open Applet" (10) the window's thread then runs a picker.
bool ChooseButtonAction(HWND settings, int button, int action);
// The soft-key bar of a window (a picker's): the window it owns that carries the OK
// key; null when there is none.
HWND FindSoftKeyBar(HWND window);

// ---------------------------------------------------------------------------
// Processes and windows of the device.

// Starts a program with a command-line tail; the process handle, or null.
HANDLE StartProgram(const std::wstring& exePath, const std::wstring& arguments, DWORD* processId = nullptr);
// Runs a program to its end; its exit code, or -1 when it could not start or timed out.
int RunProgram(const std::wstring& exePath, const std::wstring& arguments, DWORD timeoutMs = 30000);
// How many processes of that file name (e.g. L"Pelorin.exe") run.
size_t CountProcesses(const wchar_t* exeName);
// The processor time, user and kernel, of every thread of a process so far, in 100 ns
// units; false when none of its threads can be asked. Each thread is asked on its own:
// Wine answers a process's times with its first thread's alone.
bool ProcessorTime(DWORD processId, ULONGLONG* time100ns);
// The first top-level window of the class (and title, if given) within the timeout.
HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs);

// The whole content of a file that another process may still be writing (all
// sharing allowed); false when it cannot be opened.
bool ReadSharedFile(const std::wstring& path, std::string* text);

// Pixels of the screen as GetPixel on its device context reads them, row by row.
std::vector<COLORREF> ScreenPixels(int x, int y, int width, int height);
COLORREF ScreenPixel(int x, int y);

// Text helpers.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
