// The settings window: the tray program's one top-level window. Its one static
// instance also holds the settings record.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <aygshell.h>
#include "ScopedWin.h"
#include "core/Settings.h"
#include "core/SharedWord.h"
#include "resources/resource.h"

enum { GUI_ICON_SLOTS = 10, GUI_BITMAP_SLOTS = 10, GUI_CONTROL_SLOTS = 20 };
enum { PAGE_MOUSE, PAGE_KEYBOARD, PAGE_STATUS, PAGE_HELP, PAGE_ABOUT, PAGE_COUNT };

// The page pictures, in the bitmap slots in this order.
enum { BITMAP_FRAME, BITMAP_CONNECTOR, BITMAP_BUTTONS, BITMAP_CURSORS, PAGE_BITMAPS };

// Page-control slots: one per control id from IDC_FIRST_PAGE_CONTROL, then the help viewer.
enum { PAGE_CONTROL_IDS = IDC_SHOW_TRAY - IDC_FIRST_PAGE_CONTROL + 1, SLOT_HELP_VIEWER = PAGE_CONTROL_IDS };


// What InitWindow ends with: 1 when the window is up, the small negative codes when
// it is not, by the step that stopped it.
enum InitWindowResult {
    INIT_WINDOW_READY = 1,
    INIT_ANOTHER_INSTANCE = -1, // one already runs: it was asked to come forward
    INIT_NO_WINDOW_CLASS = -2,
    INIT_NO_WINDOW = -3,
    INIT_NO_TABS = -4,
    INIT_NO_PAGE = -5,
};

class GUI : public SettingsRecord {
public:
    InitWindowResult InitWindow(HINSTANCE instance);
    void Release();

    int LoadImages();
    int InitTabs();
    int InitWindowComponents();
    void ResizeControls();
    void Paint(HDC dc, HWND window);
    void OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
    void OnNotify(LPARAM lParam);
    void OnTapUp(HWND window, WPARAM wParam, LPARAM lParam);

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance;
    ScopedImageList tabImages;
    HICON icons[GUI_ICON_SLOTS];
    ScopedBitmap bitmaps[GUI_BITMAP_SLOTS];
    HWND controls[GUI_CONTROL_SLOTS];
    int selectedButton;
    HICON programIcon;
    HWND tabControl;
    HWND mainWindow;
    HWND menuBar;
    SharedWord currentPage; // PAGE_*; written by the window's thread, read by the listener
    SHACTIVATEINFO activateInfo;
    bool started; // InitWindow completed: destroying the window terminates the program
    void (*terminate)(); // the program's termination, given by the start-up
    void (*displayChanged)(); // told when the screen changes (the cursor follows it); given by the start-up
};

extern GUI g_gui;   // the one instance, static lifetime
extern GUI* g_pGUI; // set by InitWindow, used by the window procedure

// The column (0 to 2) of a mouse input in the page's layout: the two wheel
// directions share the columns of the left and middle buttons.
int ButtonColumn(int button);

// Text in the "tahoma" face; the font is made and deleted for this one label.
int DrawLabel(const WCHAR* face, int height, int weight, COLORREF colour, HDC dc, const WCHAR* text, RECT* rect,
              UINT format);

void FillActionCombo(HWND combo);
void FillSpeedCombo(HWND combo);

// Whether x, y lies in the rectangle, its edges included.
bool PtInBox(int x, int y, const RECT& box);

bool TrayIcon(HWND window, DWORD operation, UINT id, HICON icon);
bool TrayIconAdd(HWND window, UINT id, HICON icon);
bool TrayIconDelete(HWND window, UINT id, HICON icon);
