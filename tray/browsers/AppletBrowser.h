// The applet picker: a full-screen tree of the control-panel applets in \windows,
// opened by the "Open Applet" choice of the settings window.
#pragma once
#include <windows.h>
#include <commctrl.h>

enum {
    APPLETS_PER_LIBRARY_MAX = 256, // a library that reports more is listed this far
};

// Blocks until the picker closes. `resultPath` and `secondParameter` are the caller's
// buffers of 260 characters: the chosen applet's reference ("\windows\NAME.cpl,N")
// and the text of the lower edit box; an empty resultPath means nothing was chosen.
// `filter` is kept but not consulted; `stripPath` is the tree's picture strip.
void ShowAppletBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                       WCHAR* secondParameter, const WCHAR* stripPath);

// Lists the applets of the library named in `searchPath` (a file node's search path,
// "NAME.cpl\*.*") under `fileNode`, in index order; applets without a name are left out.
void GetAppletContents(HWND tree, const WCHAR* searchPath, HTREEITEM fileNode);

// The index of the first applet of library `file` (a name in \windows) called `name`
// (case-sensitive), or -1 when there is none or the library does not answer.
int FindAppletIndex(const WCHAR* file, const WCHAR* name);
