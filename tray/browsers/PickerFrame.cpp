// The picker frame: window, soft keys, layout, image list, local loop, OK and Cancel.
#include "browsers/PickerFrame.h"
#include <aygshell.h>
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"
#include "core/ScreenMetrics.h"
#include "core/WaitCursor.h"
#include "resources/resource.h"

namespace {

PickerState* s_openPicker; // a picker is never open twice: a nested opening is refused

// The picker's own timer: it was hidden, and may have to end.
enum { PICKER_HIDDEN_TIMER = 1 };
DWORD s_classSeed;

// The pseudo-random part of a class name: each opening gets a class of its own.
DWORD NextClassNumber()
{
    if (!s_classSeed)
        s_classSeed = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ 0x9E3779B9u;
    s_classSeed ^= s_classSeed << 13;
    s_classSeed ^= s_classSeed >> 17;
    s_classSeed ^= s_classSeed << 5;
    return s_classSeed;
}

// s(n): n logical pixels at the screen's resolution.
int Size(PickerState& picker, int n)
{
    if (picker.dpi == 0) {
        ScopedGetDC screen(nullptr);
        picker.dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : -1;
    }
    // A screen that cannot be asked is laid out at the design's 96 dpi rather than
    // with controls of no height.
    int dpi = picker.dpi > 0 ? picker.dpi : 96;
    return (n * dpi + 48) / 96;
}

// A picker covers the screen above its soft-key bar, also after a rotation.
void FitToScreen(PickerState& picker)
{
    int height = GetSystemMetrics(SM_CYSCREEN);
    RECT bar;
    if (picker.menuBar && GetWindowRect(picker.menuBar, &bar))
        height -= bar.bottom - bar.top;
    MoveWindow(picker.window, 0, 0, GetSystemMetrics(SM_CXSCREEN), height, FALSE);
}

void LayOutControls(PickerState& picker)
{
    RECT client;
    if (!picker.window || !GetClientRect(picker.window, &client))
        return;
    int w = client.right - client.left, h = client.bottom - client.top;
    if (HWND tree = GetDlgItem(picker.window, picker.kind->treeId))
        MoveWindow(tree, 0, Size(picker, 20), w, h - Size(picker, 40), FALSE);
    if (HWND top = GetDlgItem(picker.window, picker.kind->topEditId))
        MoveWindow(top, 0, 0, w, Size(picker, 20), FALSE);
    if (HWND bottom = GetDlgItem(picker.window, picker.kind->bottomEditId))
        MoveWindow(bottom, 0, h - Size(picker, 20), w, Size(picker, 20), FALSE);
}

bool CreatePickerWindow(PickerState& picker, const WCHAR* title)
{
    const PickerKind& kind = *picker.kind;
    FormatText(picker.className, ARRAYSIZE(picker.className), L"%s:%X:%X", kind.classBase, GetTickCount(),
               NextClassNumber());
    WNDCLASSW wc;
    if (!GetClassInfoW(picker.instance, picker.className, &wc)) {
        wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = kind.windowProc;
        wc.hInstance = picker.instance;
        wc.hIcon = LoadIconW(picker.instance, MAKEINTRESOURCEW(IDI_PROGRAM));
        wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
        wc.lpszClassName = picker.className;
        if (!RegisterClassW(&wc)) {
            picker.className[0] = 0;
            return false;
        }
    }
    picker.windowClass.Reset(picker.className, picker.instance);
    CreateWindowExW(0, picker.className, title, WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, picker.instance, nullptr);
    if (!picker.window) // WM_CREATE stored it
        return false;
    SHFullScreen(picker.window, SHFS_HIDETASKBAR | SHFS_HIDESTARTICON);
    if (kind.hideStartIconAgain)
        SHFullScreen(picker.window, SHFS_HIDESTARTICON);
    if (picker.menuBar)
        FitToScreen(picker);
    ShowWindow(picker.window, SW_SHOWNORMAL);
    UpdateWindow(picker.window);
    return true;
}

// The image list from the strip; null unless it holds the three images.
HIMAGELIST CreateTreeImages(HBITMAP strip)
{
    ScopedImageList images(ImageList_Create(DRAX(22), DRAY(22), ILC_MASK, PICKER_IMAGE_COUNT, 0));
    if (images && strip)
        ImageList_AddMasked(images, strip, RGB(0, 255, 0));
    if (images && ImageList_GetImageCount(images) < PICKER_IMAGE_COUNT)
        return nullptr;
    return images.Release();
}

HWND CreateEdit(PickerState& picker, DWORD style, int y, int width, int id)
{
    HWND edit = CreateWindowExW(0, L"edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | style, 0, y,
                                width, Size(picker, 20), picker.window, (HMENU)(INT_PTR)id, picker.instance, nullptr);
    // Never more than a button's text holds, so nothing typed is thrown away later.
    if (edit)
        SendMessageW(edit, EM_LIMITTEXT, PICKER_TEXT_MAX, 0);
    return edit;
}

// The controls and the tree's first level; false when the tree cannot be made.
bool CreatePickerControls(PickerState& picker)
{
    const PickerKind& kind = *picker.kind;
    RECT client;
    GetClientRect(picker.window, &client);
    int w = client.right - client.left, h = client.bottom - client.top;

    LOGFONTW font = {};
    font.lfHeight = Size(picker, 14);
    font.lfWeight = 200;
    CopyText(font.lfFaceName, ARRAYSIZE(font.lfFaceName), L"verdana");
    picker.font.Reset(CreateFontIndirectW(&font));

    picker.tree = CreateWindowExW(0, L"SysTreeView32", L"TreeView",
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0,
                                  Size(picker, 20), w, h - Size(picker, 40), picker.window,
                                  (HMENU)(INT_PTR)kind.treeId, picker.instance, nullptr);
    if (!picker.tree)
        return false;
    SendMessageW(picker.tree, WM_SETFONT, (WPARAM)picker.font.Get(), TRUE);
    SetFocus(picker.tree);
    picker.topEdit = CreateEdit(picker, ES_READONLY, 0, w, kind.topEditId);
    picker.bottomEdit = CreateEdit(picker, 0, h - Size(picker, 20), w, kind.bottomEditId);

    picker.images.Reset(CreateTreeImages(picker.strip));
    if (!picker.images) {
        // Nothing could be told apart: the picker keeps only its edits and soft keys.
        DebugLog(L"Picker: the image strip holds fewer than %d images, no tree", PICKER_IMAGE_COUNT);
        DestroyWindow(picker.tree);
        picker.tree = nullptr;
        return true;
    }
    SendMessageW(picker.tree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)picker.images.Get());
    kind.fillFirstLevel(picker);
    return true;
}

void Cancel(PickerState& picker);

// While the system's loader is held (a library never returned from its start-up
// routine), freeing a control may wait on the loader for good: the common controls
// bind some of the system's functions at their first call. The picker's window is
// then hidden and left, with what its controls use, instead of destroyed; the next
// opening destroys it once the loader answers again.
void LeaveHidden(PickerState& picker)
{
    ShowWindow(picker.window, SW_HIDE);
    if (!picker.done)
        Cancel(picker);
}

void RunLocalLoop(PickerState& picker)
{
    MSG msg;
    while (!picker.done) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: its own loop must see the quit message too.
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (picker.window && IsWindow(picker.window)) {
        if (!LoaderAnswers())
            LeaveHidden(picker);
        else
            DestroyWindow(picker.window); // the tree and edits go with it
    }
}

void SetItemImages(HWND tree, HTREEITEM item, int image)
{
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = item;
    change.iImage = change.iSelectedImage = image;
    SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&change);
}

void DeleteChildren(HWND tree, HTREEITEM item)
{
    HTREEITEM child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
    if (!child)
        return;
    // Within the collapse the tree still counts the children as shown, and would lay
    // out, scroll and repaint after every single deletion, a cost that grows with the
    // square of the folder's size. Redrawing is held until the last one is gone.
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    while (child) {
        HTREEITEM next = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child);
        SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)child);
        child = next;
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    // A tree may take the node for childless once its last child is gone; it keeps
    // its button, to be read again at the next expansion.
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_CHILDREN;
    change.hItem = item;
    change.cChildren = 1;
    SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&change);
}

// The node under the position of the last message, for a double tap.
HTREEITEM ItemUnderLastMessage(HWND tree)
{
    DWORD position = GetMessagePos();
    POINT at = {(LONG)LOWORD(position), (LONG)HIWORD(position)};
    ScreenToClient(tree, &at);
    TVHITTESTINFO hit = {};
    hit.pt = at;
    return (HTREEITEM)SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit);
}

// The action of an expansion notice; other bits (TVE_COLLAPSERESET) may come with it.
bool IsCollapse(UINT action) { return (action & (TVE_COLLAPSE | TVE_EXPAND)) == TVE_COLLAPSE; }

LRESULT OnNotify(PickerState& picker, const NMHDR* header)
{
    if (!header)
        return 0;
    const NMTREEVIEWW* change = (const NMTREEVIEWW*)header;
    switch (header->code) {
    case TVN_ITEMEXPANDINGW:
        if (IsCollapse(change->action)) {
            SetItemImages(header->hwndFrom, change->itemNew.hItem, PICKER_IMAGE_COLLAPSED);
        } else {
            SetItemImages(header->hwndFrom, change->itemNew.hItem, PICKER_IMAGE_EXPANDED);
            picker.kind->expand(picker, header->hwndFrom, change->itemNew.hItem);
        }
        return 0; // the tree always goes on
    case TVN_ITEMEXPANDEDW:
        // What a collapse hides is read again at the next expansion.
        if (IsCollapse(change->action))
            DeleteChildren(header->hwndFrom, change->itemNew.hItem);
        return 0;
    case TVN_SELCHANGEDW:
        picker.kind->select(picker, GetDlgItem(picker.window, picker.kind->treeId), change->itemNew.hItem);
        return 0;
    case NM_DBLCLK: {
        HWND tree = GetDlgItem(picker.window, picker.kind->treeId);
        if (HTREEITEM node = tree ? ItemUnderLastMessage(tree) : nullptr)
            picker.kind->doubleTap(picker, tree, node);
        return 0;
    }
    case NM_RETURN: {
        // The action key pressed twice within two seconds confirms, also across
        // openings; the first press since the program started never does.
        DWORD now = GetTickCount();
        if (picker.returnSeen && now - picker.lastReturnTick < PICKER_RETURN_PAIR_MS)
            SendMessageW(picker.window, WM_COMMAND, IDM_PICKER_OK, 0);
        picker.lastReturnTick = now;
        picker.returnSeen = 1;
        return 0;
    }
    }
    return 0;
}

// Ends the local loop. The loop may be waiting in GetMessageW, where messages sent
// from other threads are handled without returning: a posted null message wakes it.
void EndLoop(PickerState& picker)
{
    picker.done = 1;
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

// A text longer than a button holds would be thrown away once the picker closed.
bool FitsButton(const WCHAR* what, const WCHAR* text)
{
    int length = (int)wcslen(text);
    if (length <= PICKER_TEXT_MAX)
        return true;
    DebugLog(L"Picker: %s of %d characters not accepted, a button holds %d: [%s]", what, length, PICKER_TEXT_MAX,
             text);
    return false;
}

void OnOk(PickerState& picker)
{
    if (!picker.valid || !FitsButton(L"selection", picker.result))
        return;
    // The edit takes no more than a button holds from the keyboard; another program
    // may set more, up to the buffer, which is refused like a long selection.
    picker.secondParameter[0] = 0;
    if (picker.bottomEdit)
        GetWindowTextW(picker.bottomEdit, picker.secondParameter, ARRAYSIZE(picker.secondParameter));
    picker.secondParameter[ARRAYSIZE(picker.secondParameter) - 1] = 0;
    if (!FitsButton(L"parameter", picker.secondParameter)) {
        picker.secondParameter[0] = 0;
        return;
    }
    picker.accepted = 1;
    EndLoop(picker);
    SendMessageW(picker.window, WM_CLOSE, 0, 0);
}

void Cancel(PickerState& picker)
{
    picker.result[0] = picker.secondParameter[0] = 0;
    EndLoop(picker);
}

} // namespace

HTREEITEM ParentItem(HWND tree, HTREEITEM item)
{
    return item ? (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)item) : nullptr;
}

BOOL ReadItemText(HWND tree, HTREEITEM item, WCHAR* text, int* image)
{
    text[0] = 0;
    if (!item)
        return FALSE;
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_TEXT | (image ? TVIF_IMAGE : 0);
    read.hItem = item;
    read.pszText = text;
    read.cchTextMax = TEXT_CHARS;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&read)) {
        text[0] = 0;
        return FALSE;
    }
    text[TEXT_CHARS - 1] = 0;
    if (image)
        *image = read.iImage;
    return TRUE;
}

// Appends `tail` to `path` (TEXT_CHARS); false when it does not fit.
static bool Append(WCHAR* path, const WCHAR* tail)
{
    size_t length = wcslen(path);
    return CopyText(path + length, TEXT_CHARS - length, tail) != FALSE;
}

int GetFullItemPath(HWND tree, HTREEITEM node, WCHAR* out, bool logSteps)
{
    // Built backwards: each name reversed is appended, and the whole is reversed at the end.
    out[0] = 0;
    WCHAR path[TEXT_CHARS], text[TEXT_CHARS];
    if (!ReadItemText(tree, node, text))
        return 0;
    CopyText(path, ARRAYSIZE(path), _wcsrev(text));
    if (!Append(path, L"\\"))
        return 0;
    for (HTREEITEM up = ParentItem(tree, node); up; up = ParentItem(tree, up)) {
        if (!ReadItemText(tree, up, text))
            return 0;
        if (logSteps)
            DebugLog(L"![%s]", text);
        _wcsrev(text);
        if (wcscmp(text, L"\\") != 0 && !Append(path, text))
            return 0; // a cut path would name another file
        size_t length = wcslen(path);
        if (length && path[length - 1] != L'\\' && !Append(path, L"\\"))
            return 0;
        if (logSteps)
            DebugLog(L"!$[%s]", path);
    }
    CopyText(out, TEXT_CHARS, _wcsrev(path));
    return 1;
}

static HTREEITEM TopItem(HWND tree, HTREEITEM item)
{
    for (HTREEITEM up = ParentItem(tree, item); up; up = ParentItem(tree, up))
        item = up;
    return item;
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

bool PickerEnding(const PickerState& picker) { return picker.done || picker.closeDeferred || g_terminate.IsSet(); }

HCURSOR ShowPickerWaitCursor(const PickerState& picker)
{
    HCURSOR kept = SetCursor(picker.waitCursor);
    ShowCursor(TRUE);
    return kept;
}

LevelFill::LevelFill(const PickerState& picker, HWND tree, HTREEITEM parent, CursorAfterFill after) : tree_(tree)
{
    HCURSOR kept = ShowPickerWaitCursor(picker);
    after_ = after == RESTORE_CURSOR ? kept : nullptr;
    held_ = !parent || (SendMessageW(tree, TVM_GETITEMSTATE, (WPARAM)parent, TVIS_EXPANDED) & TVIS_EXPANDED);
    if (held_)
        SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
}

LevelFill::~LevelFill()
{
    if (held_) {
        SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_, nullptr, TRUE);
    }
    SetCursor(after_);
    ShowCursor(FALSE);
}

LRESULT PickerWindowProc(PickerState& picker, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        picker.window = window;
        picker.activateInfo = {};
        picker.activateInfo.cbSize = sizeof picker.activateInfo;
        SHMENUBARINFO bar = {};
        bar.cbSize = sizeof bar;
        bar.hwndParent = window;
        bar.nToolBarId = IDR_PICKER_MENUBAR;
        bar.hInstRes = picker.instance;
        picker.menuBar = SHCreateMenuBar(&bar) ? bar.hwndMB : nullptr;
        return 0;
    }
    case WM_DESTROY:
        if (window != picker.window) // a picker left hidden earlier, destroyed now
            break;
        if (picker.menuBar)
            DestroyWindow(picker.menuBar);
        picker.menuBar = nullptr;
        // Closed by anyone but OK or Cancel (another program, Close Task): the
        // picker ends as if cancelled, and the loop does not wait for it.
        if (!picker.done)
            Cancel(picker);
        return 0;
    case WM_NCDESTROY:
        if (window == picker.window)
            picker.window = picker.tree = picker.topEdit = picker.bottomEdit = nullptr;
        break;
    case WM_PAINT: {
        ScopedPaint paint(window); // only validates: the window draws nothing of its own
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
        // After a rotation the picker, its controls and its soft-key bar follow the
        // new screen, so that OK and Cancel stay where a stylus reaches them.
        SHHandleWMSettingChange(window, wParam, lParam, &picker.activateInfo);
        FitToScreen(picker);
        LayOutControls(picker);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    case WM_SHOWWINDOW:
        // Hidden by another (Close Task), a picker would keep its loop, and the owner
        // it disabled, for good: one that stays hidden ends as cancelled. Switch Task
        // hides a window and then shows it behind the others, in two steps that this
        // thread may see apart: the picker is looked at again a while later.
        if (!wParam && window == picker.window)
            SetTimer(window, PICKER_HIDDEN_TIMER, PICKER_HIDDEN_GRACE_MS, nullptr);
        break;
    case WM_TIMER:
        if (wParam != PICKER_HIDDEN_TIMER)
            break;
        KillTimer(window, PICKER_HIDDEN_TIMER);
        if (window == picker.window && !IsWindowVisible(window) && !picker.done) {
            DebugLog(L"Picker: hidden by another, closed as cancelled");
            SendMessageW(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SETCURSOR:
        // While a library is waited for, the picker keeps answering: it shows it is busy.
        if (picker.busy && window == picker.window) {
            SetCursor(picker.waitCursor);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // While the tree waits in a notice for an applet library, what is sent to
        // this thread is answered, a close too; destroyed under its own notice, the
        // tree would go on with freed memory. The window closes once it returns.
        if (picker.noticeDepth > 0) {
            picker.closeDeferred = 1;
            return 0;
        }
        if (window == picker.window && !LoaderAnswers()) {
            LeaveHidden(picker);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        ++picker.noticeDepth;
        LRESULT result = OnNotify(picker, (const NMHDR*)lParam);
        if (--picker.noticeDepth == 0 && picker.closeDeferred) {
            picker.closeDeferred = 0;
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return result;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_PICKER_OK) {
            OnOk(picker);
            return 0;
        }
        if (LOWORD(wParam) == IDM_PICKER_CANCEL) {
            Cancel(picker);
            SendMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The keys go where the user sees: the owner comes back in front only when it is
// shown (its Hide key may have been pressed meanwhile); otherwise the window that
// was in front before the picker, if it is still shown, else whichever the system
// activates.
static void BringBackFront(const PickerState& picker)
{
    if (picker.owner && IsWindowVisible(picker.owner)) {
        SetForegroundWindow(picker.owner);
        SetFocus(picker.owner);
    } else if (picker.previousFront && picker.previousFront != picker.owner && IsWindowVisible(picker.previousFront)) {
        SetForegroundWindow(picker.previousFront);
    }
}

void RunPicker(PickerState& picker, const PickerKind& kind, HINSTANCE instance, HWND owner, const WCHAR* title,
               const WCHAR* filter, WCHAR* resultPath, WCHAR* secondParameter, const WCHAR* stripPath)
{
    resultPath[0] = secondParameter[0] = 0;
    if (s_openPicker) {
        DebugLog(L"Picker: [%s] not opened, another picker is open", title);
        return;
    }
    // A picker's window and soft keys are found through the loader.
    if (!LoaderAnswers()) {
        DebugLog(L"Picker: [%s] not opened, a library holds the system's loader", title);
        return;
    }
    if (picker.leftWindow) {
        // Left hidden when the loader was held; it answers again.
        DestroyWindow(picker.leftWindow);
        picker.leftWindow = nullptr;
        picker.images.Reset();
        picker.font.Reset();
        picker.windowClass.Reset();
    }
    picker.waitCursor = WaitCursor();
    picker.busy = 0;
    HCURSOR kept = kind.waitCursorWhileBuilding ? ShowPickerWaitCursor(picker) : nullptr;
    picker.kind = &kind;
    picker.done = picker.valid = picker.closeDeferred = picker.accepted = 0;
    picker.noticeDepth = 0;
    picker.secondParameter[0] = picker.result[0] = 0;
    CopyText(picker.filter, ARRAYSIZE(picker.filter), filter);
    picker.instance = instance;
    picker.owner = owner;
    picker.window = picker.tree = picker.topEdit = picker.bottomEdit = picker.menuBar = nullptr;
    picker.previousFront = GetForegroundWindow();
    picker.strip.Reset(SHLoadImageFile(stripPath));
    if (kind.disableOwner && owner)
        EnableWindow(owner, FALSE);

    s_openPicker = &picker;
    bool ready = CreatePickerWindow(picker, title) && CreatePickerControls(picker);
    if (kind.waitCursorWhileBuilding) {
        SetCursor(kept);
        ShowCursor(FALSE);
    }
    if (ready) {
        RunLocalLoop(picker);
    } else {
        // Without a window or a tree there is nothing to wait for.
        DebugLog(L"Picker: [%s] could not be created (error %u)", title, (unsigned)GetLastError());
        if (picker.window)
            DestroyWindow(picker.window);
        picker.result[0] = picker.secondParameter[0] = 0;
    }
    s_openPicker = nullptr;

    // A tree notice that was under way when the picker was cancelled may have set a
    // choice since: only OK hands one back.
    if (picker.accepted && picker.secondParameter[0])
        CopyText(secondParameter, TEXT_CHARS, picker.secondParameter);
    if (picker.accepted && picker.result[0])
        CopyText(resultPath, TEXT_CHARS, picker.result);
    if (owner && kind.disableOwner)
        EnableWindow(owner, TRUE);
    BringBackFront(picker);
    // A window left hidden keeps what its controls use, and its class, until the next
    // opening.
    picker.leftWindow = picker.window;
    picker.window = picker.tree = picker.topEdit = picker.bottomEdit = picker.menuBar = nullptr;
    picker.strip.Reset();
    if (!picker.leftWindow) {
        picker.images.Reset();
        picker.font.Reset();
        // Each opening registered a class of its own; the class table keeps none of them.
        picker.windowClass.Reset();
    }
}
