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

// Commands of the settings window's page controls.
#define IDC_EXIT           105
#define IDC_BLUETOOTH      784
