// The program picker: a full-screen tree of the device's folders with the programs
// and shortcuts in them, opened by the "Open Program" choice of the settings window.
#pragma once
#include <windows.h>

// Blocks until the picker closes. `resultPath` and `secondParameter` are the caller's
// buffers of 260 characters: the chosen file's full path and the text of the lower
// edit box; an empty resultPath means nothing was chosen. `filter` holds the accepted
// extensions reversed, each with its dot, separated by '|' ("exe.|knl.").
void ShowProgramBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                        WCHAR* secondParameter, const WCHAR* stripPath);
