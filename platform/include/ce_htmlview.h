// The platform layer's own questions to its HTML viewer ("DISPLAYCLASS"), for tests.
// Not part of the device's API: product code does not send these.
#pragma once
#include <windows.h>

// Result: height in pixels of the laid-out page at the viewer's present width.
#define CE_HTMLVIEW_CONTENTHEIGHT (WM_USER + 900)
// wParam: capacity in characters; lParam: WCHAR buffer. Fills it with the text the
// viewer shows, one shown line per '\n'-ended line, always terminated; result: length.
#define CE_HTMLVIEW_GETTEXT       (WM_USER + 901)
