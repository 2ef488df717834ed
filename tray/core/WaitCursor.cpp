// The system's busy cursor around slow work.
#include "core/WaitCursor.h"
#include "core/AppState.h"

static HCURSOR s_wait;

void LoadWaitCursor()
{
    if (s_wait)
        return;
    // The device finds the system cursor through the program's instance; the
    // desktop only through a null instance.
    s_wait = LoadCursorW(g_instance, IDC_WAIT);
    if (!s_wait)
        s_wait = LoadCursorW(nullptr, IDC_WAIT);
}

HCURSOR WaitCursor() { return s_wait; }

void ShowWaitCursor(bool on)
{
    SetCursor(on ? s_wait : nullptr);
    ShowCursor(on ? TRUE : FALSE);
}
