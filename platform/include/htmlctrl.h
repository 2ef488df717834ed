// The Pocket PC's HTML viewer control (HTMLVIEW), as the platform layer provides it
// on this build: window class "DISPLAYCLASS", registered by InitHTMLControl. It shows
// a page loaded with DTM_NAVIGATE from a "file://" address or added as text with
// DTM_ADDTEXTW, and tells its parent about a tapped link with NM_HOTSPOT.
// Message numbers and records are those of the device's htmlctrl.h.
#pragma once
#include <windows.h>
#include <commctrl.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DISPLAYCLASS TEXT("DISPLAYCLASS")
#define WC_HTML      DISPLAYCLASS

// Messages to the viewer.
#define DTM_ADDTEXTW    (WM_USER + 102) // wParam: TRUE plain text; lParam: LPWSTR
#define DTM_ENDOFSOURCE (WM_USER + 104) // the added text is complete
#define DTM_ANCHORW     (WM_USER + 106) // lParam: LPCWSTR name of an anchor to scroll to
#define DTM_CLEAR       (WM_USER + 113) // empties the viewer
#define DTM_NAVIGATE    (WM_USER + 120) // wParam: flags (none used); lParam: LPCWSTR address, "file://PATH"

// Notifications to the parent (WM_NOTIFY with an NM_HTMLVIEW record).
#define NM_HOTSPOT      (WM_USER + 101) // a link was tapped; szTarget holds its href

#ifndef RC_INVOKED
typedef struct tagNM_HTMLVIEWW {
    NMHDR hdr;
    LPCWSTR szTarget;
    LPCWSTR szData;
    union {
        DWORD dwCookie;
        DWORD dwFlags;
    };
    LPCWSTR szExInfo;
} NM_HTMLVIEWW;

typedef struct tagNM_HTMLVIEWA {
    NMHDR hdr;
    LPCSTR szTarget;
    LPCSTR szData;
    union {
        DWORD dwCookie;
        DWORD dwFlags;
    };
    LPCSTR szExInfo;
} NM_HTMLVIEWA;

#ifdef UNICODE
#define NM_HTMLVIEW NM_HTMLVIEWW
#else
#define NM_HTMLVIEW NM_HTMLVIEWA
#endif

// Registers the viewer's window class for the given instance; TRUE when it can be created.
BOOL InitHTMLControl(HINSTANCE instance);
#endif

#ifdef __cplusplus
}
#endif
