// recorder: the emulated device's foreground application. A window that fills the
// screen below the top bar, paints a plain colour and writes every mouse and key
// message it receives to a file, one line each, flushed at once.
//
//   recorder.exe FILE [-background RRGGBB] [-patch RRGGBB]
#include "DeviceKit.h"
#include <shellapi.h>
#include <cstdio>
#include <cwchar>

namespace {

HANDLE g_file = INVALID_HANDLE_VALUE;
COLORREF g_background = RECORDER_DEFAULT_BACKGROUND;
COLORREF g_patchColour = RECORDER_DEFAULT_PATCH;

void WriteLine(const std::string& text)
{
    std::string line = text + "\n";
    DWORD written = 0;
    // Unbuffered WriteFile: a test reading the file sees each line as it happens.
    WriteFile(g_file, line.data(), (DWORD)line.size(), &written, nullptr);
}

void Record(const char* kind, int x, int y, int delta, UINT vk, UINT scan)
{
    RecorderEvent e;
    e.time = (DWORD)GetMessageTime();
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.delta = delta;
    e.vk = vk;
    e.scan = scan;
    WriteLine(FormatRecorderEvent(e));
}

void RecordMouse(HWND window, const char* kind, LPARAM lParam)
{
    POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    ClientToScreen(window, &p);
    Record(kind, p.x, p.y, 0, 0, 0);
}

void RecordKey(const char* kind, WPARAM wParam, LPARAM lParam)
{
    Record(kind, 0, 0, 0, (UINT)wParam, (UINT)((lParam >> 16) & 0xFF));
}

void FillScreenRect(HWND window, RECT screen, COLORREF colour)
{
    POINT a = {screen.left, screen.top}, b = {screen.right, screen.bottom};
    ScreenToClient(window, &a);
    ScreenToClient(window, &b);
    RECT area = {a.x, a.y, b.x, b.y};
    HDC dc = GetDC(window);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
}

LRESULT CALLBACK RecorderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE: RecordMouse(window, "mousemove", lParam); return 0;
    case WM_LBUTTONDOWN: RecordMouse(window, "lbuttondown", lParam); return 0;
    case WM_LBUTTONUP: RecordMouse(window, "lbuttonup", lParam); return 0;
    case WM_LBUTTONDBLCLK: RecordMouse(window, "lbuttondblclk", lParam); return 0;
    case WM_RBUTTONDOWN: RecordMouse(window, "rbuttondown", lParam); return 0;
    case WM_RBUTTONUP: RecordMouse(window, "rbuttonup", lParam); return 0;
    case WM_MBUTTONDOWN: RecordMouse(window, "mbuttondown", lParam); return 0;
    case WM_MBUTTONUP: RecordMouse(window, "mbuttonup", lParam); return 0;
    case WM_MOUSEWHEEL: // already in screen coordinates
        Record("wheel", (short)LOWORD(lParam), (short)HIWORD(lParam), (short)HIWORD(wParam), 0, 0);
        return 0;
    case WM_KEYDOWN: RecordKey("keydown", wParam, lParam); return 0;
    case WM_KEYUP: RecordKey("keyup", wParam, lParam); return 0;
    case WM_SYSKEYDOWN: RecordKey("syskeydown", wParam, lParam); return 0;
    case WM_SYSKEYUP: RecordKey("syskeyup", wParam, lParam); return 0;
    case WM_CHAR: RecordKey("char", wParam, lParam); return 0;
    case RECORDER_PAINT_PATCH: {
        RECT screen = {(short)LOWORD(wParam), (short)HIWORD(wParam), (short)LOWORD(lParam), (short)HIWORD(lParam)};
        FillScreenRect(window, screen, g_patchColour);
        return 0;
    }
    case RECORDER_SET_PATCH_COLOUR: g_patchColour = (COLORREF)wParam; return 0;
    case RECORDER_SET_BACKGROUND:
        g_background = (COLORREF)wParam;
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(g_background);
        FillRect((HDC)wParam, &client, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DISPLAYCHANGE: {
        int top = TopBarHeight();
        SetWindowPos(window, nullptr, 0, top, LOWORD(lParam), HIWORD(lParam) - top, SWP_NOZORDER);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

COLORREF ParseColour(const wchar_t* text, COLORREF fallback)
{
    wchar_t* end = nullptr;
    unsigned long rgb = wcstoul(text, &end, 16);
    if (!end || *end)
        return fallback;
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 1;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (wcscmp(argv[i], L"-background") == 0)
            g_background = ParseColour(argv[i + 1], g_background);
        else if (wcscmp(argv[i], L"-patch") == 0)
            g_patchColour = ParseColour(argv[i + 1], g_patchColour);
    }
    g_file = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_file == INVALID_HANDLE_VALUE)
        return 2;

    // No CS_DBLCLKS: a quick second click must stay a plain button-down.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = RECORDER_CLASS;
    RegisterClassW(&wc);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN), top = TopBarHeight();
    HWND window = CreateWindowExW(0, RECORDER_CLASS, RECORDER_TITLE, WS_POPUP, 0, top, width, height - top, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 3;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(window);

    RECT frame;
    GetWindowRect(window, &frame);
    char header[160];
    snprintf(header, sizeof header, "# recorder %p %ld %ld %ld %ld", (void*)window, frame.left, frame.top,
             frame.right, frame.bottom);
    WriteLine(header);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(g_file);
    return 0;
}
