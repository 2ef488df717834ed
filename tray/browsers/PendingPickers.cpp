// Until the pickers exist, opening one chooses nothing.
#include "AppletBrowser.h"
#include "ProgramBrowser.h"

void ShowAppletBrowser(HINSTANCE, HWND, const WCHAR*, const WCHAR*, WCHAR* resultPath, WCHAR* secondParameter,
                       const WCHAR*)
{
    resultPath[0] = secondParameter[0] = 0;
}

void ShowProgramBrowser(HINSTANCE, HWND, const WCHAR*, const WCHAR*, WCHAR* resultPath, WCHAR* secondParameter,
                        const WCHAR*)
{
    resultPath[0] = secondParameter[0] = 0;
}
