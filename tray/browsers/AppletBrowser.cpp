// The applet browser: the ".cpl" files of \windows, each expanding to the applets
// its library reports through CPlApplet.
#include "browsers/AppletBrowser.h"
#include "ScopedWin.h"
#include "browsers/AppletSession.h"
#include "browsers/PickerFrame.h"
#include "core/DebugLog.h"
#include "resources/resource.h"

namespace {

const WCHAR kWindowsFolder[] = L"\\windows";
// The longest file name whose reference, with the largest index, and whose search
// path both fit the text buffers: "\windows\" NAME ",255" and NAME "\*.*".
const size_t kFileNameMax = TEXT_CHARS - 1 - 9 - 4;

PickerState s_applets;

bool ReferenceFits(const WCHAR* name) { return wcslen(name) <= kFileNameMax; }

void ListAppletFiles(PickerState& picker)
{
    LevelFill fill(picker, picker.tree, nullptr, RESTORE_CURSOR);
    WCHAR pattern[TEXT_CHARS];
    FormatText(pattern, ARRAYSIZE(pattern), L"%s\\*", kWindowsFolder);
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW(pattern, &found));
    if (!search.IsValid())
        return;
    do {
        WCHAR name[TEXT_CHARS], reversed[TEXT_CHARS];
        CopyText(name, ARRAYSIZE(name), found.cFileName);
        CopyText(reversed, ARRAYSIZE(reversed), name);
        _wcsrev(reversed);
        if (found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY || _wcsnicmp(reversed, L"lpc.", 4) != 0)
            continue;
        if (!ReferenceFits(name)) {
            DebugLog(L"Applet browser: [%s] not listed, its reference would be longer than %d characters", name,
                     TEXT_CHARS - 1);
            continue;
        }
        TVINSERTSTRUCTW insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST; // sorted once below
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
        insert.item.pszText = name;
        insert.item.iImage = insert.item.iSelectedImage = PICKER_IMAGE_COLLAPSED;
        insert.item.cChildren = 1;
        SendMessageW(picker.tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
    } while (FindNextFileW(search, &found));
    // One sort of the level rather than a sorted insert of each file, which walks
    // the level every time.
    SendMessageW(picker.tree, TVM_SORTCHILDREN, FALSE, (LPARAM)TVI_ROOT);
}

void ExpandAppletFile(PickerState& picker, HWND tree, HTREEITEM node)
{
    WCHAR searchPath[TEXT_CHARS];
    if (!GetItemPath(tree, node, searchPath)) {
        DebugLog(L"Applet browser: the node's path cannot be read, nothing listed");
        return;
    }
    LevelFill fill(picker, tree, node, RESTORE_CURSOR);
    DebugLog(L"cursor on, list applets for [%s]", searchPath);
    GetAppletContents(tree, searchPath, node);
}

// The reference and valid flag of a node: an applet gives "\windows\FILE,INDEX" and
// may be confirmed; a file gives "\windows\FILE" and may not.
// With the system's loader held (a library never returned from its start-up
// routine), no library can be asked again: an applet listed before keeps the index
// it was listed with.
int ListedIndex(HWND tree, HTREEITEM node, const WCHAR* file)
{
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = node;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    DebugLog(L"Applet browser: [%s] cannot be loaded again, the index listed is taken", file);
    return (int)item.lParam;
}

void ChooseAppletNode(PickerState& picker, HWND tree, HTREEITEM node, bool show)
{
    WCHAR text[TEXT_CHARS], file[TEXT_CHARS];
    picker.valid = 0;
    picker.result[0] = 0;
    if (ReadItemText(tree, node, text)) {
        HTREEITEM parent = ParentItem(tree, node);
        if (!parent) {
            FormatText(picker.result, ARRAYSIZE(picker.result), L"%s\\%s", kWindowsFolder, text);
        } else if (ReadItemText(tree, parent, file)) {
            int index = g_loaderHeld ? ListedIndex(tree, node, file) : FindAppletIndex(file, text);
            FormatText(picker.result, ARRAYSIZE(picker.result), L"%s\\%s,%d", kWindowsFolder, file, index);
            // A library that no longer has the applet: its reference would open nothing.
            picker.valid = index >= 0;
            if (index < 0)
                DebugLog(L"Applet browser: [%s] is no longer in [%s], not accepted", text, file);
        }
    }
    if (show && picker.topEdit)
        SetWindowTextW(picker.topEdit, picker.result);
}

void SelectAppletNode(PickerState& picker, HWND tree, HTREEITEM node) { ChooseAppletNode(picker, tree, node, true); }

void DoubleTapAppletNode(PickerState& picker, HWND tree, HTREEITEM node)
{
    ChooseAppletNode(picker, tree, node, false);
    SendMessageW(picker.window, WM_COMMAND, IDM_PICKER_OK, 0);
}

LRESULT CALLBACK AppletBrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PickerWindowProc(s_applets, window, message, wParam, lParam);
}

const PickerKind kAppletKind = {
    L"browseapplet", IDC_APPLET_TREE, IDC_APPLET_CHOICE, IDC_APPLET_PARAMETER,
    true,  // wait cursor while built
    true,  // owner disabled
    false, // one SHFullScreen
    AppletBrowserProc, ListAppletFiles, ExpandAppletFile, SelectAppletNode, DoubleTapAppletNode,
};

} // namespace

void GetAppletContents(HWND tree, const WCHAR* searchPath, HTREEITEM fileNode)
{
    DebugLog(L"GetAppletContents 1");
    // The module is the path up to its first ".cpl" (as written, lower case), and it
    // must be the node's whole file name: a name cut short would load another library.
    const WCHAR* extension = wcsstr(searchPath, L".cpl");
    if (!extension)
        return;
    size_t length = (size_t)(extension - searchPath) + 4;
    if (searchPath[length] != 0 && searchPath[length] != L'\\') {
        DebugLog(L"GetAppletContents: [%s] names another library, not loaded", searchPath);
        return;
    }
    WCHAR module[TEXT_CHARS];
    if (length >= ARRAYSIZE(module))
        return;
    CopyText(module, length + 1, searchPath);

    AppletSession* session = RunAppletSession(module, tree, true);
    if (session && session->opened) {
        DebugLog(L"GetAppletContents items=%d", (int)session->count);
        for (int i = 0; i < session->read; ++i) {
            WCHAR* name = session->names[i];
            DebugLog(L"cplInfo.szName=%s", name);
            if (!name[0])
                continue;
            DebugLog(L"add to tree");
            TVINSERTSTRUCTW insert = {};
            insert.hParent = fileNode;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
            insert.item.pszText = name;
            insert.item.iImage = insert.item.iSelectedImage = PICKER_IMAGE_LEAF;
            insert.item.lParam = i; // the index as listed, for when the library cannot be asked again
            SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
            DebugLog(L"add to tree out");
        }
    }
    EndAppletSession(session);
}

int FindAppletIndex(const WCHAR* file, const WCHAR* name)
{
    AppletSession* session = RunAppletSession(file, nullptr, false);
    int index = -1;
    for (int i = 0; session && session->opened && i < session->read && index < 0; ++i)
        if (session->names[i][0] && wcscmp(session->names[i], name) == 0)
            index = i;
    EndAppletSession(session);
    return index;
}

void ShowAppletBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                       WCHAR* secondParameter, const WCHAR* stripPath)
{
    RunPicker(s_applets, kAppletKind, instance, owner, title, filter, resultPath, secondParameter, stripPath);
}
