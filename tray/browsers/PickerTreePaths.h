// Reading a picker's tree: a node's text, its parent, and the paths built from the
// node and its ancestors. The tree holds no paths of its own: a node's path is
// rebuilt from the names above it whenever it is needed.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The full path of a node into `out` (TEXT_CHARS): "\" and the names below the
// root down to the node, joined by "\"; "\\" for the root itself. It is built
// backwards, each name reversed, and turned round at the end; with `logSteps` every
// ancestor step and the reversed path so far are written to the debug log. False,
// with `out` empty, when the tree refuses a read or the path does not fit.
bool GetFullItemPath(HWND tree, HTREEITEM node, WCHAR* out, bool logSteps);

// The node's search pattern into `out` (TEXT_CHARS): its full path and "\*.*", "\*.*"
// for the root folder; below a top level other than the root folder (a library of
// the applet picker) without the leading separator. 1 on success; 0, with `out`
// empty, when the tree refuses a read or the pattern does not fit.
int GetItemPath(HWND tree, HTREEITEM item, WCHAR* out);

// A node's text (TEXT_CHARS) and, when `image` is given, its image. False, with the
// text empty, when the tree refuses.
bool ReadItemText(HWND tree, HTREEITEM item, WCHAR* text, int* image = nullptr);
HTREEITEM ParentItem(HWND tree, HTREEITEM item);
