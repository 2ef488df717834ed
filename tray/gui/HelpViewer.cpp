#include "gui/HelpViewer.h"
#include <htmlctrl.h>
#include <oleauto.h>
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/InstallPath.h"
#include "core/WaitCursor.h"

static bool s_viewerReady; // the viewer's class is registered (window's thread only)

void InitHelpViewer(HINSTANCE instance)
{
    if (!s_viewerReady)
        s_viewerReady = InitHTMLControl(instance) != FALSE;
}

HWND CreateHelpViewer(HWND parent, HINSTANCE instance)
{
    ShowWaitCursor(true);
    InitHelpViewer(instance); // when start-up could not
    HWND viewer = CreateWindowExW(0, WC_HTML, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, instance,
                                  nullptr);
    if (viewer) {
        SendMessageW(viewer, DTM_CLEAR, 0, 0);
        WCHAR address[TEXT_CHARS];
        const WCHAR* path = GetInstallFilePath(L"help", L"help.html");
        // A path too long for the address is not cut into another file's name.
        if (!path[0] || !FormatText(address, ARRAYSIZE(address), L"file://%s", path))
            address[0] = 0;
        DebugLog(L"WC_HTML [%X], loading [%s]", (unsigned)(UINT_PTR)viewer, address);
        if (BSTR text = SysAllocString(address)) {
            SendMessageW(viewer, DTM_NAVIGATE, 0, (LPARAM)text);
            SysFreeString(text);
        }
    }
    ShowWaitCursor(false);
    return viewer;
}
