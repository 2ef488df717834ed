// The settings window: the tray program's one top-level window. Its one static
// instance also holds the settings record.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <aygshell.h>
#include "Settings.h"
#include "resource.h"

enum { GUI_ICON_SLOTS = 10, GUI_BITMAP_SLOTS = 10, GUI_CONTROL_SLOTS = 20 };
enum { PAGE_MOUSE, PAGE_KEYBOARD, PAGE_STATUS, PAGE_HELP, PAGE_ABOUT, PAGE_COUNT };

extern const WCHAR kWindowClass[]; // "MORVANE.Vantorix"
extern const WCHAR kWindowTitle[]; // "Vantorix"

class GUI : public SettingsRecord {
public:
    int InitWindow(HINSTANCE instance);
    void Release();

    int LoadImages();
    int InitTabs();
    int InitWindowComponents();
    void ResizeControls();
    void Paint(HDC dc, HWND window);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnNotify(LPARAM lParam);
    void OnTapUp(int x, int y);

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance;
    HIMAGELIST tabImages;
    HICON icons[GUI_ICON_SLOTS];
    HBITMAP bitmaps[GUI_BITMAP_SLOTS];
    HWND controls[GUI_CONTROL_SLOTS];
    int selectedButton;
    HICON programIcon;
    HWND tabControl;
    HWND mainWindow;
    HWND menuBar;
    volatile int currentPage;
    SHACTIVATEINFO activateInfo;
    int started; // InitWindow completed: destroying the window terminates the program
};

extern GUI g_gui;   // the one instance, static lifetime
extern GUI* g_pGUI; // set by InitWindow, used by the window procedure

BOOL TrayIcon(HWND window, DWORD operation, UINT id, HICON icon);
BOOL TrayIconAdd(HWND window, UINT id, HICON icon);
BOOL TrayIconDelete(HWND window, UINT id, HICON icon);
