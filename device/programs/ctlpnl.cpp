// ctlpnl: the device's control panel (\windows\ctlpnl.exe).
//   ctlpnl.exe FILE.cpl,N   opens applet N of the library (a bare name is in \windows)
//   ctlpnl.exe              the Settings screen: every applet of every ".cpl" in
//                           \windows with its icon and name; a tap opens the applet
// An applet is opened as the device does it: CPL_INIT, CPL_GETCOUNT, CPL_NEWINQUIRE,
// CPL_DBLCLK, CPL_STOP, CPL_EXIT. Each start is noted in the launch log like the
// other platform programs, each opening in the control panel's log (DeviceKit.h).
#include "DeviceKit.h"
#include <commctrl.h>
#include <cpl.h>
#include <cwchar>

namespace {

enum { APPLETS_MAX = 32, ICON_SIZE = 32 }; // applets taken from one library

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder) : std::wstring(L"C:\\windows");
}

// A device path: a bare name is in \windows, "\x" is below the device's root.
std::wstring DevicePath(const std::wstring& file)
{
    if (file.find(L'\\') == std::wstring::npos)
        return WindowsFolder() + L"\\" + file;
    if (file[0] == L'\\')
        return WindowsFolder().substr(0, 2) + file;
    return file;
}

struct Applets {
    HMODULE module = nullptr;
    APPLET_PROC entry = nullptr;
    bool initialised = false;
    HWND window = nullptr;
    ~Applets()
    {
        if (initialised)
            entry(window, CPL_EXIT, 0, 0);
        if (module)
            FreeLibrary(module);
    }
};

// Loads and initialises a library; an empty reason on success.
std::wstring Start(Applets& applets, const std::wstring& file, HWND window, std::wstring& record)
{
    applets.window = window;
    applets.module = LoadLibraryW(DevicePath(file).c_str());
    if (!applets.module)
        return L"failed, cannot load (error " + std::to_wstring(GetLastError()) + L")";
    applets.entry = (APPLET_PROC)GetProcAddress(applets.module, "CPlApplet");
    if (!applets.entry)
        return L"failed, no CPlApplet";
    LONG init = applets.entry(window, CPL_INIT, 0, 0);
    record += L" CPL_INIT=" + std::to_wstring(init);
    if (!init)
        return L"failed, CPL_INIT";
    applets.initialised = true;
    return L"";
}

int Count(Applets& applets)
{
    LONG count = applets.entry(applets.window, CPL_GETCOUNT, 0, 0);
    return count < 0 ? 0 : count > APPLETS_MAX ? APPLETS_MAX : (int)count;
}

NEWCPLINFOW Inquire(Applets& applets, int index)
{
    struct {
        NEWCPLINFOW info;
        BYTE spare[512]; // room for an applet that writes more than it was given
    } record = {};
    record.info.dwSize = sizeof record.info;
    applets.entry(applets.window, CPL_NEWINQUIRE, index, (LPARAM)&record.info);
    record.info.szName[ARRAYSIZE(record.info.szName) - 1] = 0;
    return record.info;
}

// Opens one applet and notes what happened.
bool OpenApplet(const std::wstring& file, int index, HWND window)
{
    std::wstring reference = file + L"," + std::to_wstring(index);
    std::wstring record;
    std::wstring failure;
    {
        Applets applets;
        failure = Start(applets, file, window, record);
        if (failure.empty()) {
            int count = Count(applets);
            record += L" CPL_GETCOUNT=" + std::to_wstring(count);
            if (index < 0 || index >= count) {
                failure = L"failed, no applet " + std::to_wstring(index);
            } else {
                NEWCPLINFOW info = Inquire(applets, index);
                record += L" CPL_NEWINQUIRE=[" + std::wstring(info.szName) + L"]";
                LONG opened = applets.entry(window, CPL_DBLCLK, index, info.lData);
                record += L" CPL_DBLCLK=" + std::to_wstring(opened);
                applets.entry(window, CPL_STOP, index, info.lData);
                record += L" CPL_STOP CPL_EXIT";
            }
        }
    }
    AppendTextLine(kControlPanelLogPath, reference + L":" + (failure.empty() ? record : record + L" " + failure));
    return failure.empty();
}

// --- The Settings screen ---------------------------------------------------------

struct Entry {
    std::wstring file;
    int index;
};
std::vector<Entry> g_entries;
HWND g_list;

void ListApplets(HIMAGELIST icons)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((WindowsFolder() + L"\\*.cpl").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::wstring file = found.cFileName;
        Applets applets;
        std::wstring ignored;
        if (!Start(applets, file, nullptr, ignored).empty())
            continue;
        int count = Count(applets);
        for (int i = 0; i < count; ++i) {
            NEWCPLINFOW info = Inquire(applets, i);
            if (!info.szName[0])
                continue;
            HICON icon = info.hIcon ? CopyIcon(info.hIcon) : LoadIconW(nullptr, IDI_APPLICATION);
            int image = ImageList_AddIcon(icons, icon);
            if (info.hIcon)
                DestroyIcon(icon);
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = (int)g_entries.size();
            item.pszText = info.szName;
            item.iImage = image;
            item.lParam = (LPARAM)g_entries.size();
            g_entries.push_back({file, i});
            SendMessageW(g_list, LVM_INSERTITEMW, 0, (LPARAM)&item);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

LRESULT CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY: {
        const NMITEMACTIVATE* tap = (const NMITEMACTIVATE*)lParam;
        if (tap->hdr.hwndFrom == g_list && tap->hdr.code == NM_CLICK && tap->iItem >= 0) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = tap->iItem;
            if (SendMessageW(g_list, LVM_GETITEMW, 0, (LPARAM)&item) && (size_t)item.lParam < g_entries.size())
                OpenApplet(g_entries[item.lParam].file, g_entries[item.lParam].index, window);
        }
        return 0;
    }
    case WM_SIZE:
        MoveWindow(g_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ShowSettings(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SettingsProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = CONTROL_PANEL_CLASS;
    RegisterClassW(&wc);
    int top = TopBarHeight();
    // Shown once every entry is listed: a visible screen is a complete one.
    HWND window = CreateWindowExW(0, CONTROL_PANEL_CLASS, CONTROL_PANEL_TITLE, WS_POPUP, 0, top,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    RECT client;
    GetClientRect(window, &client);
    g_list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE,
                             0, 0, client.right, client.bottom, window, nullptr, instance, nullptr);
    HIMAGELIST icons = ImageList_Create(ICON_SIZE, ICON_SIZE, ILC_COLOR32 | ILC_MASK, 16, 16);
    SendMessageW(g_list, LVM_SETIMAGELIST, LVSIL_NORMAL, (LPARAM)icons);
    ListApplets(icons);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The command line after the program's own name, without trailing blanks.
std::wstring ArgumentsOf(const wchar_t* commandLine)
{
    std::wstring arguments = CommandArguments(commandLine);
    while (!arguments.empty() && (arguments.back() == L' ' || arguments.back() == L'\t'))
        arguments.pop_back();
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    std::wstring arguments = ArgumentsOf(GetCommandLineW());
    AppendLaunch(arguments.empty() ? L"ctlpnl.exe" : L"ctlpnl.exe " + arguments);
    if (arguments.empty())
        return ShowSettings(instance);
    // "FILE.cpl,N"; without ",N" the library's first applet.
    size_t comma = arguments.rfind(L',');
    std::wstring file = comma == std::wstring::npos ? arguments : arguments.substr(0, comma);
    int index = 0;
    if (comma != std::wstring::npos) {
        wchar_t* end = nullptr;
        long value = wcstol(arguments.c_str() + comma + 1, &end, 10);
        if (!end || *end || end == arguments.c_str() + comma + 1 || value < -1000000 || value > 1000000) {
            AppendTextLine(kControlPanelLogPath, arguments + L": failed, no applet index");
            return 1;
        }
        index = (int)value;
    }
    return OpenApplet(file, index, nullptr) ? 0 : 1;
}
