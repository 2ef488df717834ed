// The tab strip and the page controls.
#include "GUI.h"
#include "DebugLog.h"
#include "ScreenMetrics.h"

static const WCHAR* const kTabTexts[PAGE_COUNT] = {L"Mouse", L"Keyboard", L"Status", L"Help", L"About"};

int GUI::InitTabs()
{
    tabControl = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | TCS_BOTTOM, 0, 0, 0, 0, mainWindow,
                                 nullptr, instance, nullptr);
    if (!tabControl)
        return 0;
    SendMessageW(tabControl, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    if (tabImages)
        SendMessageW(tabControl, TCM_SETIMAGELIST, 0, (LPARAM)tabImages);
    for (int page = 0; page < PAGE_COUNT; ++page) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = (LPWSTR)kTabTexts[page];
        item.iImage = page;
        SendMessageW(tabControl, TCM_INSERTITEMW, page, (LPARAM)&item);
    }
    currentPage = PAGE_MOUSE;
    SendMessageW(tabControl, TCM_SETCURSEL, 0, 0);
    return 1;
}

int GUI::InitWindowComponents()
{
    for (HWND& control : controls)
        if (control) {
            DestroyWindow(control);
            control = nullptr;
        }
    DebugLog(L"GUI::InitWindowComponents page: %d", (int)currentPage);
    ResizeControls();
    return 1;
}

void GUI::ResizeControls()
{
    int W = g_screen.width, H = g_screen.height;
    if (tabControl)
        SetWindowPos(tabControl, nullptr, 0, H - 2 * g_screen.MH - DRAY(22), W, DRAY(22),
                     SWP_NOZORDER | SWP_NOREDRAW);
    if (mainWindow)
        InvalidateRect(mainWindow, nullptr, FALSE);
}

void GUI::OnNotify(LPARAM lParam)
{
    const NMHDR* header = (const NMHDR*)lParam;
    if (header && header->code == (UINT)TCN_SELCHANGE) {
        currentPage = (int)SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0);
        InitWindowComponents();
    }
}
