// The soft-key bar of the Pocket PC shell (SHCreateMenuBar) and the shell's
// activation and setting-change helpers.
#include "ce_device_api.h"
#include "aygshell.h"
#include <wchar.h>
#include "EmulatedDevice.h"

static const WCHAR kMenuBarClass[] = L"menu_worker";
enum { MAX_SOFT_KEYS = 4, SOFT_KEY_TEXT_CHARS = 64, MAX_BAR_OWNERS = 32 };

// The windows whose soft-key bar follows them, each subclassed the classic way with
// its previous procedure kept here. comctl32's SetWindowSubclass finds its data in a
// window property on every message, and under Wine each of those lookups is a trip
// to the server: three for every message the window receives, every notification
// of a tree and every paint, which made collapsing a folder of a thousand files
// take seconds. The device's shell costs its windows nothing of the kind.
struct BarOwner {
    HWND window;
    HWND bar;
    WNDPROC previous;
};
static BarOwner s_owners[MAX_BAR_OWNERS];
static SRWLOCK s_ownersLock = SRWLOCK_INIT;

static bool FindBarOwner(HWND window, BarOwner* found)
{
    AcquireSRWLockShared(&s_ownersLock);
    bool known = false;
    for (const BarOwner& owner : s_owners)
        if (owner.window == window) {
            *found = owner;
            known = true;
            break;
        }
    ReleaseSRWLockShared(&s_ownersLock);
    return known;
}

static HWND BarOf(HWND window)
{
    BarOwner owner;
    return FindBarOwner(window, &owner) ? owner.bar : nullptr;
}

// The soft keys' commands go to the window that owns the bar.
static LRESULT CALLBACK MenuBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HWND owner = GetWindow(bar, GW_OWNER))
            PostMessageW(owner, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), 0);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

// Keeps the bar where the shell would: shown and hidden with its window, at the
// bottom of the screen.
static void PlaceBar(HWND window, HWND bar)
{
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    int barHeight = CeShellBarHeight();
    SetWindowPos(bar, nullptr, 0, h - barHeight, w, barHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND keys[MAX_SOFT_KEYS];
    int count = 0;
    for (HWND key = GetWindow(bar, GW_CHILD); key && count < MAX_SOFT_KEYS; key = GetWindow(key, GW_HWNDNEXT))
        keys[count++] = key;
    for (int i = 0; i < count; ++i)
        SetWindowPos(keys[i], nullptr, i * w / count, 0, w / count, barHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    // A window that the shell placed below its top bar is fitted above the soft-key
    // bar; any other (a full-screen window) sizes itself, as on the device.
    RECT r;
    GetWindowRect(window, &r);
    int top = CeShellBarHeight();
    if (r.top == top)
        SetWindowPos(window, nullptr, 0, top, w, h - barHeight - top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Whether nothing but the window's own bar and the shell's top bar is shown above it.
static bool OnlyShellAbove(HWND window, HWND bar)
{
    for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        WCHAR name[16] = {};
        GetClassNameW(above, name, 16);
        if (above != bar && IsWindowVisible(above) && wcscmp(name, L"HHTaskBar") != 0)
            return false;
    }
    return true;
}

static LRESULT CALLBACK FollowOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    BarOwner owner;
    if (!FindBarOwner(window, &owner))
        return DefWindowProcW(window, message, wParam, lParam);
    HWND bar = owner.bar;
    if (message == WM_SHOWWINDOW && IsWindow(bar)) {
        ShowWindow(bar, wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
    } else if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && IsWindowVisible(bar) &&
               OnlyShellAbove(window, bar)) {
        // The window came to the front: its bar with it. Without a window manager,
        // Wine raises a window on the X server only when it becomes the very first
        // window, so a bar that another window (the Today screen) covered stays under
        // it. Made topmost for a moment, the bar is raised there, then put back.
        const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(bar, HWND_TOPMOST, 0, 0, 0, 0, keep);
        SetWindowPos(bar, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    } else if (message == WM_NCDESTROY) {
        // The window's own procedure back, and its place free for another window.
        if ((WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC) == FollowOwner)
            SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)owner.previous);
        AcquireSRWLockExclusive(&s_ownersLock);
        for (BarOwner& entry : s_owners)
            if (entry.window == window)
                entry = {};
        ReleaseSRWLockExclusive(&s_ownersLock);
    }
    return CallWindowProcW(owner.previous, window, message, wParam, lParam);
}

// Makes `bar` follow `window`; a window that has a bar already gets the new one.
// False when every place is taken.
static bool FollowWithBar(HWND window, HWND bar)
{
    AcquireSRWLockExclusive(&s_ownersLock);
    BarOwner* place = nullptr;
    for (BarOwner& entry : s_owners) {
        if (entry.window == window) {
            entry.bar = bar;
            ReleaseSRWLockExclusive(&s_ownersLock);
            return true;
        }
        if (!entry.window && !place)
            place = &entry;
    }
    if (place) {
        // Entered before the procedure is swapped, so that the first message finds it.
        place->window = window;
        place->bar = bar;
        place->previous = (WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC);
        SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)FollowOwner);
    }
    ReleaseSRWLockExclusive(&s_ownersLock);
    return place != nullptr;
}

static bool RegisterMenuBarClass(HINSTANCE instance)
{
    WNDCLASSW wc;
    if (GetClassInfoW(instance, kMenuBarClass, &wc))
        return true;
    wc = {};
    wc.lpfnWndProc = MenuBarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMenuBarClass;
    return RegisterClassW(&wc) != 0;
}

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (!info || !info->hwndParent)
        return FALSE;
    HINSTANCE instance = info->hInstRes ? info->hInstRes : GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(info->nToolBarId), (LPCWSTR)RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const WORD* words = loaded ? (const WORD*)LockResource(loaded) : nullptr;
    DWORD size = found ? SizeofResource(instance, found) : 0;
    // Menu id, button count, then seven words per button: image, command, state,
    // style, string id, 0, sub-menu.
    if (!words || size < 2 * sizeof(WORD))
        return FALSE;
    int count = words[1];
    if (count > MAX_SOFT_KEYS || size < (2 + 7 * (DWORD)count) * sizeof(WORD))
        return FALSE;
    if (!RegisterMenuBarClass(instance))
        return FALSE;

    HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMenuBarClass, L"", WS_POPUP | WS_CLIPCHILDREN,
                               0, 0, 0, 0, info->hwndParent, nullptr, instance, nullptr);
    if (!bar)
        return FALSE;
    for (int i = 0; i < count; ++i) {
        const WORD* button = words + 2 + 7 * i;
        WCHAR text[SOFT_KEY_TEXT_CHARS] = {};
        LoadStringW(instance, button[4], text, SOFT_KEY_TEXT_CHARS);
        HWND key = CreateWindowExW(0, L"button", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, 0, 0, 0, 0,
                                   bar, (HMENU)(UINT_PTR)button[1], instance, nullptr);
        SendMessageW(key, WM_SETFONT, (WPARAM)CeGetStockObject(DEFAULT_GUI_FONT), FALSE);
    }
    if (!FollowWithBar(info->hwndParent, bar)) {
        DestroyWindow(bar);
        return FALSE;
    }
    PlaceBar(info->hwndParent, bar);
    if (IsWindowVisible(info->hwndParent))
        ShowWindow(bar, SW_SHOWNOACTIVATE);
    info->hwndMB = bar;
    return TRUE;
}

BOOL WINAPI SHHandleWMActivate(HWND, WPARAM wParam, LPARAM, SHACTIVATEINFO* info, DWORD)
{
    // No input panel on this device: only the activation state is kept.
    if (info)
        info->fActive = LOWORD(wParam) != WA_INACTIVE;
    return TRUE;
}

BOOL WINAPI SHHandleWMSettingChange(HWND window, WPARAM, LPARAM, SHACTIVATEINFO* info)
{
    // The device's shell keeps a window's input-panel state in the caller's
    // activation record and reads it here: without one it would read through a null
    // pointer. The stand-in refuses such a call, and counts it.
    if (!info || info->cbSize != sizeof *info) {
        DeviceStateAdd(L"ActivationRecordsRefused", 1);
        return FALSE;
    }
    // After a rotation the shell fits the window and its soft-key bar to the new screen.
    if (HWND bar = BarOf(window))
        PlaceBar(window, bar);
    return TRUE;
}
