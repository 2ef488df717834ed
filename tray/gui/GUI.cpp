// The settings window: creation, message map and release.
#include "gui/GUI.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/ScreenMetrics.h"
#include "gui/HelpViewer.h"
#include "protocol/InstallContract.h"
#include "protocol/ProgramMessages.h"
#include "resources/resource.h"


GUI g_gui;
GUI* g_pGUI;

// The settings record is the window's: the one GUI instance holds it.
SettingsRecord& AppSettings() { return g_gui; }

// Two starts at the same instant would both find no window yet: the instance is
// claimed first, with a named mutex that the system frees when its process ends.
static HANDLE s_instanceClaim;
enum { RUNNING_WINDOW_WAIT_MS = 5000 };

static bool ClaimSingleInstance()
{
    s_instanceClaim = CreateMutexW(nullptr, FALSE, L"MORVANE.Vantorix.Instance");
    if (!s_instanceClaim) // no claim to be had: the window alone decides, as it always could
        return FindWindowW(kWindowClass, kWindowTitle) == nullptr;
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

// The instance that claimed first may still be creating its window.
static HWND WaitForRunningWindow()
{
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND running = FindWindowW(kWindowClass, kWindowTitle))
            return running;
        if (GetTickCount() - start > RUNNING_WINDOW_WAIT_MS)
            return nullptr;
        Sleep(50);
    }
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_pGUI)
        return g_pGUI->HandleMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

InitWindowResult GUI::InitWindow(HINSTANCE inst)
{
    DebugLog(L"GUI::InitWindow(%X) call.", (unsigned)(UINT_PTR)inst);
    instance = inst;

    // One instance at a time: a second start brings the first one forward, as a tap
    // on its tray icon does. The request is posted, never sent: a first instance
    // that does not answer (held by another vendor's library) must not hold this
    // start, and with it whoever started it.
    if (!ClaimSingleInstance()) {
        if (HWND running = WaitForRunningWindow())
            PostMessageW(running, WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
        return INIT_ANOTHER_INSTANCE;
    }

    g_pGUI = this;
    ComputeSize();

    WNDCLASSW wc;
    if (!GetClassInfoW(inst, kWindowClass, &wc)) {
        wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassW(&wc))
            return INIT_NO_WINDOW_CLASS;
    }

    LoadImages();
    InitHelpViewer(inst);

    mainWindow = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, inst, nullptr);
    if (!mainWindow)
        return INIT_NO_WINDOW;
    if (InitTabs() != 1)
        return INIT_NO_TABS;
    if (InitWindowComponents() != 1)
        return INIT_NO_PAGE;
    UpdateWindow(mainWindow);
    started = true;
    return INIT_WINDOW_READY;
}

static HWND CreateMenuBar(HWND window, HINSTANCE instance)
{
    SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = window;
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = instance;
    return SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
}

// The Today screen ("Desktop") placed directly above this window means the user
// went back to the Today screen: the settings window steps aside.
static void HideBehindToday(HWND window, const WINDOWPOS* pos)
{
    if (!pos || !pos->hwndInsertAfter || pos->hwndInsertAfter == HWND_TOP || pos->hwndInsertAfter == HWND_BOTTOM ||
        pos->hwndInsertAfter == HWND_TOPMOST || pos->hwndInsertAfter == HWND_NOTOPMOST)
        return;
    WCHAR title[101] = {};
    GetWindowTextW(pos->hwndInsertAfter, title, ARRAYSIZE(title));
    if (wcscmp(title, L"Desktop") == 0)
        ShowWindow(window, SW_HIDE);
}

LRESULT GUI::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        menuBar = CreateMenuBar(window, instance);
        activateInfo = {};
        activateInfo.cbSize = sizeof activateInfo;
        return 0;
    case WM_DESTROY:
        // A start refused after its window was made destroys that window on the way
        // out: it saves nothing, as nothing was started.
        if (started && terminate)
            terminate();
        return 0;
    case WM_ACTIVATE:
        SHHandleWMActivate(window, wParam, lParam, &activateInfo, 0);
        return 0;
    case WM_PAINT: {
        ScopedPaint paint(window);
        Paint(paint, window);
        return 0;
    }
    case WM_SETTINGCHANGE:
        ComputeSize();
        ResizeControls();
        if (displayChanged)
            displayChanged();
        SHHandleWMSettingChange(window, wParam, lParam, &activateInfo);
        return 1;
    case WM_ERASEBKGND:
    case WM_CTLCOLORSTATIC:
        return 1;
    case WM_WINDOWPOSCHANGED:
        HideBehindToday(window, (const WINDOWPOS*)lParam);
        return 0;
    case WM_NOTIFY:
        OnNotify(lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnTapUp(window, wParam, lParam);
        return 0;
    case WM_TRAY_CALLBACK:
        if (wParam == TRAY_ICON_ID && lParam == WM_LBUTTONUP) {
            ShowWindow(window, SW_SHOW);
            SetForegroundWindow(window);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void GUI::Release()
{
    tabImages.Reset();
    if (programIcon) {
        DestroyIcon(programIcon);
        programIcon = nullptr;
    }
    for (HICON& icon : icons)
        if (icon) {
            DestroyIcon(icon);
            icon = nullptr;
        }
    for (ScopedBitmap& bitmap : bitmaps)
        bitmap.Reset();
    DebugLog(L"GUI::Release::Destroy: %X", (unsigned)(UINT_PTR)mainWindow);
    DestroyWindow(mainWindow);
}
