// The program browser: the device's folders from the root "\", read when expanded,
// with the files whose names pass the filter.
#include "browsers/ProgramBrowser.h"
#include "ScopedWin.h"
#include "browsers/FolderListing.h"
#include "browsers/PickerFrame.h"
#include "browsers/PickerTree.h"
#include "browsers/PickerTreePaths.h"
#include "core/DebugLog.h"
#include "resources/resource.h"

namespace {

PickerState s_programs;

// Folders, and the files that pass the picker's filter; never "." or "..".
bool IsListed(const WCHAR* name, bool isDirectory)
{
    if (!isDirectory && !PassesFilter(name, s_programs.filter))
        return false;
    return wcscmp(name, L".") != 0 && wcscmp(name, L"..") != 0;
}

HTREEITEM InsertFileItem(HWND tree, const WCHAR* name, HTREEITEM parent, bool isDirectory)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | (isDirectory ? TVIF_CHILDREN : 0);
    insert.item.pszText = (LPWSTR)name;
    insert.item.iImage = insert.item.iSelectedImage = isDirectory ? PICKER_IMAGE_COLLAPSED : PICKER_IMAGE_LEAF;
    insert.item.cChildren = isDirectory ? 1 : 0;
    return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
}

void InsertListing(HWND tree, const FolderListing& listing, HTREEITEM parent)
{
    for (int i = 0; i < listing.count; ++i)
        InsertFileItem(tree, listing.entries[i].name, parent, listing.entries[i].isDirectory);
}

void ListRoot(PickerState& picker) { AddFileItem(picker.tree, L"\\", nullptr, true); }

void ExpandFolder(PickerState& picker, HWND tree, HTREEITEM node)
{
    WCHAR pattern[TEXT_CHARS];
    if (!GetItemPath(tree, node, pattern)) {
        DebugLog(L"BrowseFile: the node's path cannot be read, nothing listed");
        return;
    }
    LevelFill fill(picker, tree, node, NO_CURSOR); // the cursor that was there is not restored
    BrowseFile(tree, pattern, node);
}

void SelectProgramNode(PickerState& picker, HWND tree, HTREEITEM node)
{
    WCHAR name[TEXT_CHARS];
    int image = 0;
    bool read = ReadItemText(tree, node, name, &image);
    DebugLog(L"SELCHANGED");
    // Folders are tested too: one named like a program passes.
    picker.valid = read && PassesFilter(name, picker.filter);
    if (!read || !GetFullItemPath(tree, node, picker.result, false))
        picker.valid = false;
    if (picker.topEdit)
        SetWindowTextW(picker.topEdit, picker.result);
}

void DoubleTapProgramNode(PickerState& picker, HWND tree, HTREEITEM node)
{
    WCHAR name[TEXT_CHARS];
    int image = 0;
    if (!ReadItemText(tree, node, name, &image) || image != PICKER_IMAGE_LEAF)
        return; // the tree itself opens or closes a folder
    picker.valid = PassesFilter(name, picker.filter);
    if (!GetFullItemPath(tree, node, picker.result, true))
        picker.valid = false;
    SendMessageW(picker.window, WM_COMMAND, IDM_PICKER_OK, 0);
}

LRESULT CALLBACK ProgramBrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PickerWindowProc(s_programs, window, message, wParam, lParam);
}

const PickerKind kProgramKind = {
    L"browsefile", IDC_PROGRAM_TREE, IDC_PROGRAM_CHOICE, IDC_PROGRAM_PARAMETER,
    false, // no wait cursor while built
    false, // owner stays enabled
    true,  // SHFullScreen once more for the start icon
    ProgramBrowserProc, ListRoot, ExpandFolder, SelectProgramNode, DoubleTapProgramNode,
};

} // namespace

bool PassesFilter(const WCHAR* name, const WCHAR* filter)
{
    if (!name || !name[0] || !filter)
        return false;
    if (wcscmp(filter, L"*.") == 0)
        return true;
    WCHAR reversed[TEXT_CHARS], key[5];
    CopyText(reversed, ARRAYSIZE(reversed), name);
    _wcsrev(reversed);
    CopyText(key, ARRAYSIZE(key), reversed);
    return wcsstr(filter, key) != nullptr;
}

HTREEITEM AddFileItem(HWND tree, const WCHAR* name, HTREEITEM parent, bool isDirectory)
{
    return IsListed(name, isDirectory) ? InsertFileItem(tree, name, parent, isDirectory) : nullptr;
}

void BrowseFile(HWND tree, const WCHAR* searchPattern, HTREEITEM parent)
{
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW(searchPattern, &found));
    if (!search.IsValid()) {
        if (GetLastError() == ERROR_NO_MORE_FILES) {
            // An empty folder: its button goes.
            TVITEMW change = {};
            change.mask = TVIF_HANDLE | TVIF_CHILDREN;
            change.hItem = parent;
            change.cChildren = 0;
            if (!SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&change))
                DebugLog(L"BrowseFile: setting item for no children.\r\n");
        } else {
            DebugLog(L"BrowseFile: FindFirstFile returned invalid handle");
        }
        return;
    }
    // An entry's full path is the pattern's folder part and its name; a folder's own
    // pattern adds "\*.*". Entries whose path would not fit are not listed: a cut
    // path names another file.
    const WCHAR* lastSeparator = wcsrchr(searchPattern, L'\\');
    size_t folderPart = lastSeparator ? (size_t)(lastSeparator - searchPattern) + 1 : 0;
    // The level is gathered, sorted once and inserted in order: a sorted insert of
    // each entry would walk the level every time.
    FolderListing listing;
    bool gathering = true;
    int listed = 0;
    do {
        bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.cFileName[ARRAYSIZE(found.cFileName) - 1] = 0;
        if (folderPart + wcslen(found.cFileName) + (isDirectory ? 4 : 0) >= TEXT_CHARS) {
            DebugLog(L"BrowseFile: [%s] not listed, its path would be longer than %d characters", found.cFileName,
                     TEXT_CHARS - 1);
            continue;
        }
        if (!IsListed(found.cFileName, isDirectory))
            continue;
        if (++listed > FOLDER_ENTRIES_MAX) {
            DebugLog(L"BrowseFile: [%s] lists more than %d entries, the rest is not listed", searchPattern,
                     FOLDER_ENTRIES_MAX);
            break;
        }
        if (gathering && !AddFolderEntry(listing, found.cFileName, isDirectory)) {
            // Short of memory: what was gathered goes in as it is, and the tree sorts.
            DebugLog(L"BrowseFile: no memory to gather [%s], the tree sorts it", searchPattern);
            gathering = false;
            SortFolderListing(listing);
            InsertListing(tree, listing, parent);
        }
        if (!gathering)
            InsertFileItem(tree, found.cFileName, parent, isDirectory);
    } while (FindNextFileW(search, &found));
    if (gathering) {
        SortFolderListing(listing);
        InsertListing(tree, listing, parent);
    } else {
        SendMessageW(tree, TVM_SORTCHILDREN, FALSE, (LPARAM)parent);
    }
}

void ShowProgramBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                        WCHAR* secondParameter, const WCHAR* stripPath)
{
    RunPicker(s_programs, kProgramKind, instance, owner, title, filter, resultPath, secondParameter, stripPath);
}
