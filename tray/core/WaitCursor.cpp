// The system's busy cursor around slow work.
#include "core/WaitCursor.h"
#include "core/AppState.h"

void ShowWaitCursor(int on)
{
    if (on) {
        // The device finds the system cursor through the program's instance; the
        // desktop only through a null instance.
        HCURSOR wait = LoadCursorW(g_instance, IDC_WAIT);
        if (!wait)
            wait = LoadCursorW(nullptr, IDC_WAIT);
        SetCursor(wait);
        ShowCursor(TRUE);
    } else {
        SetCursor(nullptr);
        ShowCursor(FALSE);
    }
}
