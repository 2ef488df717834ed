// What the soft keys, page controls and taps of the settings window do.
#include "GUI.h"
#include "DebugLog.h"
#include "Launch.h"
#include "resource.h"

void GUI::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDM_HIDE:
        DebugLog(L"GUI, user pressed HIDE ");
        ShowWindow(mainWindow, SW_HIDE);
        break;
    case IDM_STATUS:
        DebugLog(L"GUI, user pressed STATUS");
        currentPage = PAGE_STATUS;
        SendMessageW(tabControl, TCM_SETCURSEL, PAGE_STATUS, 0);
        InitWindowComponents();
        break;
    case IDC_EXIT:
        DestroyWindow(mainWindow);
        break;
    case IDC_BLUETOOTH:
        OpenBluetoothSettings();
        break;
    }
}

void GUI::OnTapUp(int, int) {}
