// Resource identifiers of Pelorin.exe.
#pragma once

#define IDI_PROGRAM        101
#define IDR_MENUBAR        130
#define IDM_HIDE           131
#define IDS_HIDE           132
#define IDM_STATUS         133
#define IDS_STATUS         134
#define IDI_TAB_MOUSE      135
#define IDI_TAB_KEYBOARD   136
#define IDI_TAB_STATUS     137
#define IDI_TAB_HELP       138
#define IDI_TAB_ABOUT      139

// The notification icon and the message its taps arrive with.
#define TRAY_ICON_ID       5001
#define WM_TRAY_CALLBACK   3026

// The page controls of the settings window, and the commands they send.
#define IDC_ENABLE_MOUSE     768
#define IDC_ACTION_LIST      769
#define IDC_CURSOR_PREVIOUS  770
#define IDC_CURSOR_NEXT      771
#define IDC_SPEED_LIST       772
#define IDC_ENABLE_KB        773
#define IDC_KB_SOUNDS        774
#define IDC_STATUS_DISPLAY   775
#define IDC_AUTOSTART        776
#define IDC_SHOW_TRAY        777
#define IDC_FIRST_PAGE_CONTROL IDC_ENABLE_MOUSE

// Commands that no control of the window carries; other programs may send them.
#define IDC_EXIT           105
#define IDC_BLUETOOTH      784
