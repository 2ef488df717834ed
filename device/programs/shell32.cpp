// shell32: the Pocket PC shell stand-in. Shows the top bar (class "HHTaskBar",
// topmost, full width, 26 pixels per vertical scale factor) and the Today screen
// (a window titled "Desktop" kept behind every other window). Runs until killed;
// a second start leaves the first one alone.
//
// Full-screen windows (SHFullScreen): the shell keeps each window's request and,
// whenever the window in front changes, hides the top bar (or only its start icon)
// while a window that asked for it is in front, and shows it again otherwise.
#include "DeviceKit.h"
#include "ce_device_api.h"
#include "aygshell.h"
#include <cwchar>

namespace {

const wchar_t kTopBarClass[] = L"HHTaskBar";
const wchar_t kDesktopClass[] = L"DesktopExplorerWindow";
HWND g_topBar;
HWND g_desktop;
SIZE g_placedFor;
const UINT_PTR kClockTimer = 1, kScreenTimer = 2;

// What each full-screen window asked for.
enum { FULL_SCREEN_SLOTS = 32, HIDES_BAR = 1, HIDES_START = 2 };
struct FullScreenRequest {
    HWND window;
    DWORD hides;
};
FullScreenRequest g_fullScreen[FULL_SCREEN_SLOTS];
UINT g_fullScreenMessage;
bool g_startHidden;

void NoteFullScreen(HWND window, DWORD state)
{
    FullScreenRequest* slot = nullptr;
    for (FullScreenRequest& request : g_fullScreen) {
        if (request.window && !IsWindow(request.window))
            request = {};
        if (request.window == window || (!slot && !request.window))
            slot = &request;
    }
    if (!slot || !IsWindow(window))
        return; // a full table forgets the newest request, never an older one
    if (slot->window != window)
        *slot = {window, 0};
    if (state & SHFS_HIDETASKBAR) slot->hides |= HIDES_BAR;
    if (state & SHFS_SHOWTASKBAR) slot->hides &= ~(DWORD)HIDES_BAR;
    if (state & SHFS_HIDESTARTICON) slot->hides |= HIDES_START;
    if (state & SHFS_SHOWSTARTICON) slot->hides &= ~(DWORD)HIDES_START;
    if (!slot->hides)
        *slot = {};
}

// The request of the window in front (or of the window that owns it).
DWORD HiddenByFront()
{
    HWND front = GetForegroundWindow();
    if (!front)
        return 0;
    HWND root = GetAncestor(front, GA_ROOTOWNER);
    for (const FullScreenRequest& request : g_fullScreen)
        if (request.window && (request.window == front || request.window == root) && IsWindow(request.window) &&
            IsWindowVisible(request.window))
            return request.hides;
    return 0;
}

void ApplyFullScreen()
{
    DWORD hides = HiddenByFront();
    bool barShown = IsWindowVisible(g_topBar) != FALSE;
    if ((hides & HIDES_BAR) && barShown)
        ShowWindow(g_topBar, SW_HIDE);
    else if (!(hides & HIDES_BAR) && !barShown) {
        ShowWindow(g_topBar, SW_SHOWNOACTIVATE);
        SetWindowPos(g_topBar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    bool startHidden = (hides & HIDES_START) != 0;
    if (startHidden != g_startHidden) {
        g_startHidden = startHidden;
        InvalidateRect(g_topBar, nullptr, FALSE);
    }
}

// Without a window manager, Wine raises a window on the X server only when it
// becomes the very first window, and a window brought to the front is stacked
// above the bar there. Moved out of the topmost band and back, the bar is first
// again and raised.
void RaiseTopBar()
{
    // Only where it is first among the shown windows: a topmost window that came
    // to the front after it stays above it, as on the device.
    for (HWND above = GetWindow(g_topBar, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV))
        if (IsWindowVisible(above))
            return;
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(g_topBar, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(g_topBar, HWND_TOPMOST, 0, 0, 0, 0, keep);
}

// Follows the window in front: the full-screen state, and the bar raised again
// whenever another window came to the front.
void FollowFront()
{
    static HWND s_front;
    ApplyFullScreen();
    HWND front = GetForegroundWindow();
    if (front != s_front && IsWindowVisible(g_topBar))
        RaiseTopBar();
    s_front = front;
}

void CALLBACK FrontChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) { FollowFront(); }

void PlaceWindows()
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    g_placedFor.cx = width;
    g_placedFor.cy = height;
    SetWindowPos(g_desktop, HWND_BOTTOM, 0, 0, width, height, SWP_NOACTIVATE);
    SetWindowPos(g_topBar, HWND_TOPMOST, 0, 0, width, TopBarHeight(), SWP_NOACTIVATE);
    InvalidateRect(g_topBar, nullptr, TRUE);
    InvalidateRect(g_desktop, nullptr, TRUE);
}

void PaintText(HDC dc, const wchar_t* text, RECT area, COLORREF colour, int height, UINT format)
{
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = FW_BOLD;
    wcsncpy(font.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ previous = SelectObject(dc, handle);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &area, format);
    SelectObject(dc, previous);
    DeleteObject(handle);
}

void PaintTopBar(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(RGB(0x10, 0x30, 0x80));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    int scale = ScreenScaleY();
    RECT left = client, right = client;
    left.left += 6 * scale;
    right.right -= 6 * scale;
    if (!g_startHidden)
        PaintText(dc, L"Start", left, RGB(255, 255, 255), 14 * scale, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t clock[16];
    swprintf(clock, 16, L"%02u:%02u", now.wHour, now.wMinute);
    PaintText(dc, clock, right, RGB(255, 255, 255), 14 * scale, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void PaintDesktop(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    int scale = ScreenScaleY();
    RECT title = client;
    title.top = TopBarHeight() + 8 * scale;
    title.left = 8 * scale;
    title.bottom = title.top + 24 * scale;
    PaintText(dc, L"Today", title, RGB(0x10, 0x30, 0x80), 18 * scale, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

LRESULT CALLBACK ShellProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == g_fullScreenMessage && g_fullScreenMessage) {
        NoteFullScreen((HWND)wParam, (DWORD)lParam);
        ApplyFullScreen();
        return 1;
    }
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (window == g_topBar)
            PaintTopBar(window, dc);
        else
            PaintDesktop(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
        // A size change that reached us without a notice is caught here as well.
        if (wParam == kScreenTimer) {
            if (GetSystemMetrics(SM_CXSCREEN) != g_placedFor.cx || GetSystemMetrics(SM_CYSCREEN) != g_placedFor.cy)
                PlaceWindows();
            FollowFront(); // a change in front that raised no event
        } else
            InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        if (window == g_topBar)
            PlaceWindows();
        break;
    case WM_WINDOWPOSCHANGING:
        // The Today screen stays behind everything.
        if (window == g_desktop)
            ((WINDOWPOS*)lParam)->hwndInsertAfter = HWND_BOTTOM;
        break;
    case WM_MOUSEACTIVATE:
        if (window == g_desktop)
            return MA_NOACTIVATE;
        break;
    case WM_CLOSE: return 0; // only killing ends the shell
    case WM_DESTROY:
        if (window == g_topBar)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    if (FindWindowW(kTopBarClass, nullptr))
        return 0;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ShellProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = kTopBarClass;
    RegisterClassW(&wc);
    g_fullScreenMessage = RegisterWindowMessageW(CE_SHELL_FULLSCREEN_MESSAGE);
    wc.lpszClassName = kDesktopClass;
    RegisterClassW(&wc);

    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    g_desktop = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDesktopClass, L"Desktop", WS_POPUP, 0, 0,
                                width, height, nullptr, nullptr, instance, nullptr);
    g_topBar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kTopBarClass, L"", WS_POPUP, 0, 0,
                               width, TopBarHeight(), nullptr, nullptr, instance, nullptr);
    if (!g_desktop || !g_topBar)
        return 1;
    ShowWindow(g_desktop, SW_SHOWNOACTIVATE);
    ShowWindow(g_topBar, SW_SHOWNOACTIVATE);
    PlaceWindows();
    SetTimer(g_topBar, kClockTimer, 30000, nullptr);
    SetTimer(g_topBar, kScreenTimer, 250, nullptr);
    // Windows coming to the front, hidden or destroyed: the full-screen state follows.
    SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, FrontChanged, 0, 0,
                    WINEVENT_OUTOFCONTEXT);
    SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE, nullptr, FrontChanged, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
