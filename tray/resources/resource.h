// Resource identifiers of Pelorin.exe.
#pragma once

#define IDI_PROGRAM        101
// The pickers' soft-key bar: OK and Cancel.
#define IDR_PICKER_MENUBAR 102
#define IDM_PICKER_OK      103
#define IDS_PICKER_OK      104
#define IDM_PICKER_CANCEL  105
#define IDS_PICKER_CANCEL  106
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

// The notification icon; the message its taps arrive with is protocol/ProgramMessages.h's.
#define TRAY_ICON_ID       5001

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
// (105 is also the pickers' Cancel: each goes to its own window.)
#define IDC_EXIT           105
#define IDC_BLUETOOTH      784

// The pickers' controls: the tree, the read-only top edit with the current choice
// and the bottom edit for the second parameter.
#define IDC_PROGRAM_TREE        701
#define IDC_APPLET_TREE         702
#define IDC_PROGRAM_CHOICE      501
#define IDC_PROGRAM_PARAMETER   502
#define IDC_APPLET_CHOICE       503
#define IDC_APPLET_PARAMETER    504
