// The applet picker: a full-screen tree of the control-panel applets in \windows,
// opened by the "Open Applet" choice of the settings window.
#pragma once
#include <windows.h>

// Blocks until the picker closes. `resultPath` and `secondParameter` are the caller's
// buffers of 260 characters: the chosen applet's reference ("\windows\NAME.cpl,N")
// and the text of the lower edit box; an empty resultPath means nothing was chosen.
// `filter` is kept but not consulted; `stripPath` is the tree's picture strip.
void ShowAppletBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                       WCHAR* secondParameter, const WCHAR* stripPath);
