// devctl: small device chores for the scripts around the emulated device.
//   devctl wait-window CLASS [MS]   0 when a top-level window of CLASS exists within MS
//   devctl close-window CLASS [MS]  posts WM_CLOSE to it and waits until it is gone
//   devctl wait-listener [MS]       0 when INTRCM names a live thread; prints its id
//   devctl tray-tap CLASS           taps the tray icon of the window of CLASS
//   devctl tab-tap CLASS INDEX      taps a tab of the tab strip in the window of CLASS
//   devctl attributes PATH HEX      sets a file's or folder's attribute bits
//   devctl settings-show NAME       scrolls the Settings screen's entry NAME into view
//   devctl settings-tap NAME        taps that entry
//   devctl choose-action CLASS BUTTON ACTION
//                                   chooses ACTION for mouse input BUTTON in the
//                                   settings window of CLASS (a picker may open)
#include "DeviceKit.h"
#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: devctl wait-window CLASS [MS] | close-window CLASS [MS] | wait-listener [MS] | tray-tap CLASS | tab-tap CLASS INDEX | attributes PATH HEX | settings-show NAME | settings-tap NAME | choose-action CLASS BUTTON ACTION\n");
        return 2;
    }
    std::wstring command = argv[1];
    if ((command == L"wait-window" || command == L"close-window") && argc >= 3) {
        DWORD timeout = argc >= 4 ? wcstoul(argv[3], nullptr, 0) : 10000;
        HWND window = WaitForWindow(argv[2], nullptr, command == L"wait-window" ? timeout : 0);
        if (!window) {
            fprintf(stderr, "devctl: no window of class %s\n", ToUtf8(argv[2]).c_str());
            return 1;
        }
        if (command == L"wait-window")
            return 0;
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD start = GetTickCount();
        while (IsWindow(window)) {
            if (GetTickCount() - start >= timeout) {
                fprintf(stderr, "devctl: the window did not close\n");
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    if (command == L"wait-listener") {
        DWORD threadId = WaitForListener(argc >= 3 ? wcstoul(argv[2], nullptr, 0) : 10000);
        if (!threadId) {
            fprintf(stderr, "devctl: no live listener thread in INTRCM\n");
            return 1;
        }
        printf("%lu\n", (unsigned long)threadId);
        return 0;
    }
    if (command == L"tray-tap" && argc >= 3) {
        if (TapTrayIcon(argv[2]))
            return 0;
        fprintf(stderr, "devctl: no tray icon of class %s\n", ToUtf8(argv[2]).c_str());
        return 1;
    }
    if (command == L"tab-tap" && argc >= 4) {
        HWND window = WaitForWindow(argv[2], nullptr, 0);
        if (window && TapTab(FindTabControl(window), (int)wcstol(argv[3], nullptr, 0)))
            return 0;
        fprintf(stderr, "devctl: no tab %s in a window of class %s\n", ToUtf8(argv[3]).c_str(), ToUtf8(argv[2]).c_str());
        return 1;
    }
    if (command == L"choose-action" && argc >= 5) {
        HWND window = WaitForWindow(argv[2], nullptr, 0);
        if (window && ChooseButtonAction(window, (int)wcstol(argv[3], nullptr, 0), (int)wcstol(argv[4], nullptr, 0)))
            return 0;
        fprintf(stderr, "devctl: cannot choose that action in a window of class %s\n", ToUtf8(argv[2]).c_str());
        return 1;
    }
    if (command == L"attributes" && argc >= 4) {
        if (SetFileAttributesW(argv[2], wcstoul(argv[3], nullptr, 16)))
            return 0;
        fprintf(stderr, "devctl: cannot set the attributes (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    if ((command == L"settings-show" || command == L"settings-tap") && argc >= 3) {
        if (command == L"settings-show" ? ShowSettingsEntry(argv[2]) : TapSettingsEntry(argv[2]))
            return 0;
        fprintf(stderr, "devctl: no entry %s on the Settings screen\n", ToUtf8(argv[2]).c_str());
        return 1;
    }
    fprintf(stderr, "devctl: unknown command\n");
    return 2;
}
