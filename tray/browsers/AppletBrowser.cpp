// The applet browser: the ".cpl" files of \windows, each expanding to the applets
// its library reports through CPlApplet.
#include "browsers/AppletBrowser.h"
#include "ScopedWin.h"
#include "browsers/AppletSession.h"
#include "browsers/PickerFrame.h"
#include "browsers/PickerTree.h"
#include "browsers/PickerTreePaths.h"
#include "core/DebugLog.h"
#include "resources/resource.h"

namespace {

enum {
    // A library whose listing took longer is not asked again when one of its applets
    // is selected: the index it was listed with is taken.
    APPLET_ASK_AGAIN_MS = 1000,
    // What AskAppletIndex answers when the library could not be asked.
    APPLET_NOT_ASKED = -2,
};

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

// The module named by a file node's search path ("NAME.cpl\*.*") into `module`
// (TEXT_CHARS): the path up to its first ".cpl" (as written, lower case), which must
// be the node's whole file name: a name cut short would load another library.
bool ModuleOf(const WCHAR* searchPath, WCHAR* module)
{
    const WCHAR* extension = wcsstr(searchPath, L".cpl");
    if (!extension)
        return false;
    size_t length = (size_t)(extension - searchPath) + 4;
    if (searchPath[length] != 0 && searchPath[length] != L'\\') {
        DebugLog(L"GetAppletContents: [%s] names another library, not loaded", searchPath);
        return false;
    }
    if (length >= TEXT_CHARS)
        return false;
    CopyText(module, length + 1, searchPath);
    return true;
}

// Lists the applets of the library named by `searchPath` under `fileNode`; with a
// picker, the picker keeps answering meanwhile. Its item data tells whether the
// library took long over it.
void ListApplets(HWND tree, const WCHAR* searchPath, HTREEITEM fileNode, PickerState* picker)
{
    DebugLog(L"GetAppletContents 1");
    WCHAR module[TEXT_CHARS];
    if (!ModuleOf(searchPath, module))
        return;
    DWORD started = GetTickCount();
    AppletSession* session = RunAppletSession(module, tree, true, nullptr, picker);
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
            insert.item.lParam = i; // the index as listed, for when the library is not asked again
            SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
            DebugLog(L"add to tree out");
        }
    }
    EndAppletSession(session);
    TVITEMW slow = {};
    slow.mask = TVIF_HANDLE | TVIF_PARAM;
    slow.hItem = fileNode;
    slow.lParam = GetTickCount() - started >= APPLET_ASK_AGAIN_MS;
    SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&slow);
}

// The index of the first applet of `file` called `name`, the asking stopped there;
// -1 when there is none or the library does not load; APPLET_NOT_ASKED when no
// answer could be had (the loader held, the library left to itself, the picker
// ending).
int AskAppletIndex(const WCHAR* file, const WCHAR* name, PickerState* picker)
{
    AppletSession* session = RunAppletSession(file, nullptr, false, name, picker);
    if (!session)
        return APPLET_NOT_ASKED;
    int index = -1;
    for (int i = 0; session->opened && i < session->read && index < 0; ++i)
        if (session->names[i][0] && wcscmp(session->names[i], name) == 0)
            index = i;
    EndAppletSession(session);
    return index;
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
    ListApplets(tree, searchPath, node, &picker);
}

// A node's item data: an applet's index as listed, or whether a file's library was
// slow to list.
LPARAM ItemData(HWND tree, HTREEITEM node)
{
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = node;
    return SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&item) ? item.lParam : -1;
}

// The index of an applet node. Its library is asked again, as it may have changed
// since it was listed; but a library that was slow to list would make every
// selection as slow, and one that cannot be asked now (the system's loader held)
// would refuse an applet it listed: the index listed is taken then.
int AppletIndex(PickerState& picker, HWND tree, HTREEITEM node, HTREEITEM fileNode, const WCHAR* file,
                const WCHAR* name)
{
    if (ItemData(tree, fileNode) == 1) {
        DebugLog(L"Applet browser: [%s] was slow to list its applets, the index listed is taken", file);
        return (int)ItemData(tree, node);
    }
    int index = AskAppletIndex(file, name, &picker);
    if (index != APPLET_NOT_ASKED)
        return index;
    DebugLog(L"Applet browser: [%s] cannot be asked again, the index listed is taken", file);
    return (int)ItemData(tree, node);
}

void ChooseAppletNode(PickerState& picker, HWND tree, HTREEITEM node, bool show)
{
    WCHAR text[TEXT_CHARS], file[TEXT_CHARS];
    picker.valid = false;
    picker.result[0] = 0;
    if (ReadItemText(tree, node, text)) {
        HTREEITEM parent = ParentItem(tree, node);
        if (!parent) {
            FormatText(picker.result, ARRAYSIZE(picker.result), L"%s\\%s", kWindowsFolder, text);
        } else if (ReadItemText(tree, parent, file)) {
            int index = AppletIndex(picker, tree, node, parent, file, text);
            if (picker.done) // cancelled while the library was asked: the results stay empty
                return;
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
    if (!picker.done)
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
    ListApplets(tree, searchPath, fileNode, nullptr);
}

int FindAppletIndex(const WCHAR* file, const WCHAR* name)
{
    int index = AskAppletIndex(file, name, nullptr);
    return index == APPLET_NOT_ASKED ? -1 : index;
}

void ShowAppletBrowser(HINSTANCE instance, HWND owner, const WCHAR* title, const WCHAR* filter, WCHAR* resultPath,
                       WCHAR* secondParameter, const WCHAR* stripPath)
{
    RunPicker(s_applets, kAppletKind, instance, owner, title, filter, resultPath, secondParameter, stripPath);
}
