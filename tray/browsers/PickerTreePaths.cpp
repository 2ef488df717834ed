// The paths of a picker's nodes, rebuilt from the names of their ancestors.
#include "browsers/PickerTreePaths.h"
#include "core/AppState.h"
#include "core/DebugLog.h"

HTREEITEM ParentItem(HWND tree, HTREEITEM item)
{
    return item ? (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)item) : nullptr;
}

bool ReadItemText(HWND tree, HTREEITEM item, WCHAR* text, int* image)
{
    text[0] = 0;
    if (!item)
        return false;
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_TEXT | (image ? TVIF_IMAGE : 0);
    read.hItem = item;
    read.pszText = text;
    read.cchTextMax = TEXT_CHARS;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&read)) {
        text[0] = 0;
        return false;
    }
    text[TEXT_CHARS - 1] = 0;
    if (image)
        *image = read.iImage;
    return true;
}

namespace {

// Appends `tail` to `path` (TEXT_CHARS); false when it does not fit.
bool Append(WCHAR* path, const WCHAR* tail)
{
    size_t length = wcslen(path);
    return CopyText(path + length, TEXT_CHARS - length, tail) != FALSE;
}

HTREEITEM TopItem(HWND tree, HTREEITEM item)
{
    for (HTREEITEM up = ParentItem(tree, item); up; up = ParentItem(tree, up))
        item = up;
    return item;
}

} // namespace

bool GetFullItemPath(HWND tree, HTREEITEM node, WCHAR* out, bool logSteps)
{
    // Built backwards: each name reversed is appended, and the whole is reversed at the end.
    out[0] = 0;
    WCHAR path[TEXT_CHARS], text[TEXT_CHARS];
    if (!ReadItemText(tree, node, text))
        return false;
    CopyText(path, ARRAYSIZE(path), _wcsrev(text));
    if (!Append(path, L"\\"))
        return false;
    for (HTREEITEM up = ParentItem(tree, node); up; up = ParentItem(tree, up)) {
        if (!ReadItemText(tree, up, text))
            return false;
        if (logSteps)
            DebugLog(L"![%s]", text);
        _wcsrev(text);
        if (wcscmp(text, L"\\") != 0 && !Append(path, text))
            return false; // a cut path would name another file
        size_t length = wcslen(path);
        if (length && path[length - 1] != L'\\' && !Append(path, L"\\"))
            return false;
        if (logSteps)
            DebugLog(L"!$[%s]", path);
    }
    CopyText(out, TEXT_CHARS, _wcsrev(path));
    return true;
}

int GetItemPath(HWND tree, HTREEITEM item, WCHAR* out)
{
    out[0] = 0;
    WCHAR full[TEXT_CHARS], top[TEXT_CHARS];
    if (!GetFullItemPath(tree, item, full, false) || !ReadItemText(tree, TopItem(tree, item), top))
        return 0;
    // The root folder's full path is two separators and its pattern "\*.*"; below a
    // top level other than the root folder (a library of the applet picker) the path
    // has no leading separator.
    const WCHAR* path = full;
    if (wcscmp(full, L"\\\\") == 0)
        path = L"";
    else if (wcscmp(top, L"\\") != 0)
        path = full + 1;
    if (!FormatText(out, TEXT_CHARS, L"%s\\*.*", path)) {
        out[0] = 0;
        return 0;
    }
    return 1;
}
