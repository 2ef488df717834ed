// The library's entry points: DllMain keeps the instance handle, CPlApplet answers
// the control panel.
#include "Applet.h"
#include "resource.h"
#include <cpl.h>

// The control panel reads the records with the device's layout, where pointers are
// 32 bits wide (checked by the 32-bit and ARM builds).
static_assert(sizeof(void*) != 4 || sizeof(NEWCPLINFO) == 468, "NEWCPLINFO is 468 bytes on the device");
static_assert(sizeof(void*) != 4 || sizeof(CPLINFO) == 16, "CPLINFO is 16 bytes on the device");

HINSTANCE g_appletInstance;

const AppletEntry g_applets[] = {
    {IDI_APPLET, IDS_APPLET_NAME, IDS_APPLET_INFO},
};
const int g_appletCount = ARRAYSIZE(g_applets);

// Fills the control panel's record of one applet from the table and the resources.
static LONG DescribeApplet(LPARAM index, NEWCPLINFO* info)
{
    // An index the table does not hold, or no record: nothing to describe.
    if (!info || index < 0 || index >= g_appletCount)
        return 1;
    const AppletEntry& applet = g_applets[index];
    info->dwSize = sizeof *info;
    info->dwFlags = 0;
    info->dwHelpContext = 0;
    info->lData = applet.iconId;
    info->hIcon = LoadIconW(g_appletInstance, MAKEINTRESOURCEW(applet.iconId));
    // LoadStringW always terminates, also a text cut to the field.
    info->szName[0] = 0;
    info->szInfo[0] = 0;
    LoadStringW(g_appletInstance, applet.nameId, info->szName, ARRAYSIZE(info->szName));
    LoadStringW(g_appletInstance, applet.infoId, info->szInfo, ARRAYSIZE(info->szInfo));
    info->szHelpFile[0] = 0;
    return 0;
}

extern "C" LONG CALLBACK CPlApplet(HWND controlPanel, UINT message, LPARAM lParam1, LPARAM lParam2)
{
    switch (message) {
    case CPL_INIT:
        return 1; // nothing to prepare
    case CPL_GETCOUNT:
        return g_appletCount;
    case CPL_NEWINQUIRE:
        return DescribeApplet(lParam1, (NEWCPLINFO*)lParam2);
    case CPL_DBLCLK:
        return OpenTrayProgram();
    default:
        return 0; // CPL_EXIT and the rest: nothing to do
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_appletInstance = instance;
    return TRUE;
}
