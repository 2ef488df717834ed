// The picker's window: class, soft keys, controls, image list, layout, messages.
#include "browsers/PickerWindow.h"
#include <aygshell.h>
#include "browsers/PickerClosing.h"
#include "browsers/PickerTree.h"
#include "core/DebugLog.h"
#include "core/ScreenMetrics.h"
#include "resources/resource.h"

namespace {

// The kind's window class, registered at its first opening and kept for the
// program's life: every opening's window is of it, and so is one left hidden while
// the system's loader was held, until the next opening destroys that one.
bool RegisterPickerClass(const PickerKind& kind, HINSTANCE instance)
{
    WNDCLASSW wc;
    if (GetClassInfoW(instance, kind.className, &wc))
        return true;
    wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = kind.windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = kind.className;
    return RegisterClassW(&wc) != 0;
}

// s(n): n logical pixels at the screen's resolution.
int Size(PickerState& picker, int n)
{
    if (picker.kept.dpi == 0) {
        ScopedGetDC screen(nullptr);
        picker.kept.dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : -1;
    }
    // A screen that cannot be asked is laid out at the design's 96 dpi rather than
    // with controls of no height.
    int dpi = picker.kept.dpi > 0 ? picker.kept.dpi : 96;
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

} // namespace

bool CreatePickerWindow(PickerState& picker, const WCHAR* title)
{
    const PickerKind& kind = *picker.kind;
    if (!RegisterPickerClass(kind, picker.instance))
        return false;
    CreateWindowExW(0, kind.className, title, WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
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

HCURSOR ShowPickerWaitCursor(const PickerState& picker)
{
    HCURSOR kept = SetCursor(picker.waitCursor);
    ShowCursor(TRUE);
    return kept;
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
            CancelPicker(picker);
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
        if (!wParam && window == picker.window)
            WatchHiddenPicker(window);
        break;
    case WM_TIMER:
        if (wParam != PICKER_HIDDEN_TIMER)
            break;
        CheckHiddenPicker(picker, window);
        return 0;
    case WM_SETCURSOR:
        // While a library is waited for, the picker keeps answering: it shows it is busy.
        if (picker.busy && window == picker.window) {
            SetCursor(picker.waitCursor);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (!PickerMayClose(picker, window))
            return 0;
        break;
    case WM_NOTIFY: {
        ++picker.noticeDepth;
        LRESULT result = OnPickerNotify(picker, (const NMHDR*)lParam);
        // A close that came during the notice is done now that it is over.
        if (--picker.noticeDepth == 0 && picker.closeDeferred) {
            picker.closeDeferred = false;
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return result;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_PICKER_OK) {
            OnPickerOk(picker);
            return 0;
        }
        if (LOWORD(wParam) == IDM_PICKER_CANCEL) {
            CancelPicker(picker);
            SendMessageW(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
