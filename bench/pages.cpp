// Page-change benchmark: the settings window in this process, on the emulated
// device's screen. For each page, the time from the tab strip's selection change to
// the page fully painted (the window and, on the Help page, the viewer with the help
// file), median and worst of 50; and one repaint of the Mouse page.
#include <algorithm>
#include <cstdio>
#include <vector>
#include "DeviceKit.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"

namespace {

const int kRounds = 50;
const char* const kPageNames[PAGE_COUNT] = {"Mouse", "Keyboard", "Status", "Help", "About"};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

// What a tap on a tab makes the window do, up to the last pixel painted.
void SelectPage(int page)
{
    SendMessageW(g_gui.tabControl, TCM_SETCURSEL, page, 0);
    NMHDR change = {g_gui.tabControl, 0, (UINT)TCN_SELCHANGE};
    SendMessageW(g_gui.mainWindow, WM_NOTIFY, 0, (LPARAM)&change);
    RedrawWindow(g_gui.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

void Report(const char* what, std::vector<double>& times)
{
    std::sort(times.begin(), times.end());
    printf("%-22s %8.2f %8.2f\n", what, times[times.size() / 2], times.back());
}

} // namespace

int wmain()
{
    if (!InstallProduct()) {
        fprintf(stderr, "pages: installation failed\n");
        return 1;
    }
    ClearInstallPathCache();
    LoadSettings(g_gui);
    if (g_gui.InitWindow(GetModuleHandleW(nullptr)) != 1) {
        fprintf(stderr, "pages: no settings window (is Pelorin running on this device?)\n");
        return 1;
    }
    ShowWindow(g_gui.mainWindow, SW_SHOW);
    SetForegroundWindow(g_gui.mainWindow);
    printf("Page change to fully painted, %d rounds, screen %dx%d\n", kRounds, g_screen.width, g_screen.height);
    printf("%-22s %8s %8s\n", "page", "p50 ms", "worst ms");
    for (int page = 0; page < PAGE_COUNT; ++page) {
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            SelectPage(page == PAGE_MOUSE ? PAGE_KEYBOARD : PAGE_MOUSE); // come from another page
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            SelectPage(page);
            QueryPerformanceCounter(&end);
            times.push_back(Milliseconds(start, end));
        }
        Report(kPageNames[page], times);
    }
    SelectPage(PAGE_MOUSE);
    std::vector<double> paints;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        InvalidateRect(g_gui.mainWindow, nullptr, FALSE);
        UpdateWindow(g_gui.mainWindow);
        GdiFlush();
        QueryPerformanceCounter(&end);
        paints.push_back(Milliseconds(start, end));
    }
    Report("Mouse page WM_PAINT", paints);
    UninstallProduct();
    return 0;
}
