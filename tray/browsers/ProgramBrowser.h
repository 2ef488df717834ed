// The program picker: a full-screen tree of the device's folders with the programs
// and shortcuts in them, opened by the "Open Program" choice of the settings window.
#pragma once
#include <windows.h>
#include <commctrl.h>

enum {
    FOLDER_ENTRIES_MAX = 20000, // a folder with more is listed this far
};

// Blocks until the picker closes. `resultPath` and `secondParameter` are the caller's
// buffers of 260 characters: the chosen file's full path and the text of the lower
// edit box; an empty resultPath means nothing was chosen. `filter` holds the accepted
// extensions reversed, each with its dot, separated by '|' ("exe.|knl.").
void ShowProgramBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                        WCHAR* secondParameter, const WCHAR* stripPath);

// The filter test: the name's last four characters, reversed (the whole name when
// shorter), occur in `filter`; the filter "*." passes every name.
bool PassesFilter(const WCHAR* name, const WCHAR* filter);

// Lists one folder (`searchPattern`, "PATH\*.*") under `parent`: its folders and the
// files that pass the picker's filter, sorted. An empty folder loses its button.
void BrowseFile(HWND tree, const WCHAR* searchPattern, HTREEITEM parent);

// Inserts one entry under `parent` (the tree's top level when null) unless it is a
// file that fails the filter, or "." or "..". Returns the new node or null.
HTREEITEM AddFileItem(HWND tree, const WCHAR* name, HTREEITEM parent, bool isDirectory);
