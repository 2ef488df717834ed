// The Pocket PC shell's API (AYGSHELL), as the platform layer provides it on this build.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef RC_INVOKED
typedef struct tagSHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// Creates the soft-key bar at the bottom of the screen from the caller's menu-bar
// resource (RCDATA: menu id, button count, then per button: image, command, state,
// style, string id, 0, sub-menu index). Button taps send WM_COMMAND to the parent.
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info);
BOOL WINAPI SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags);
BOOL WINAPI SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);
BOOL WINAPI SHFullScreen(HWND window, DWORD state);
// Decodes a picture file (JPEG, BMP, GIF, PNG) into a device-independent bitmap; null on failure.
HBITMAP WINAPI SHLoadImageFile(LPCWSTR fileName);
#endif

#define SHFS_SHOWTASKBAR      0x0001
#define SHFS_HIDETASKBAR      0x0002
#define SHFS_SHOWSIPBUTTON    0x0004
#define SHFS_HIDESIPBUTTON    0x0008
#define SHFS_SHOWSTARTICON    0x0010
#define SHFS_HIDESTARTICON    0x0020

#define SHCMBF_EMPTYBAR       0x0001
#define SHCMBF_HIDDEN         0x0002
#define SHCMBF_HIDESIPBUTTON  0x0004
#define SHCMBF_COLORBK        0x0008
#define SHCMBF_HMENU          0x0010

// Menu-bar resources are RCDATA in the layout SHCreateMenuBar reads.
#define SHMENUBAR             RCDATA
#ifndef TBSTATE_ENABLED
#define TBSTATE_ENABLED       0x04
#endif
#ifndef TBSTYLE_BUTTON
#define TBSTYLE_BUTTON        0x0000
#endif
#ifndef TBSTYLE_AUTOSIZE
#define TBSTYLE_AUTOSIZE      0x0010
#endif
#define I_IMAGENONE           (-2)
#define NOMENU                0xFFFF

#ifdef __cplusplus
}
#endif
