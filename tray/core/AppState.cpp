#include "core/AppState.h"
#include <stdarg.h>

HINSTANCE g_instance;
SharedFlag g_terminate;
HANDLE g_closeEvent;
ScopedHandle g_listenerThread;
DWORD g_listenerThreadId;
ScopedHandle g_powerThread;
ScopedHandle g_cursorThread;
SharedFlag g_mouseConnected;
SharedFlag g_keyboardConnected;

WCHAR g_aboutWebName[TEXT_CHARS];
WCHAR g_aboutWebLink[TEXT_CHARS];
WCHAR g_versionGUI[TEXT_CHARS];
WCHAR g_versionDriver[TEXT_CHARS];
WCHAR g_description[TEXT_CHARS];

bool CopyText(WCHAR* dest, size_t destChars, const WCHAR* src)
{
    if (!dest || destChars == 0)
        return false;
    size_t i = 0;
    for (; src && src[i] && i + 1 < destChars; ++i)
        dest[i] = src[i];
    dest[i] = 0;
    return !src || src[i] == 0;
}

bool FormatText(WCHAR* dest, size_t destChars, const WCHAR* format, ...)
{
    if (!dest || destChars == 0)
        return false;
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(dest, destChars - 1, format, args);
    va_end(args);
    dest[destChars - 1] = 0;
    return n >= 0 && (size_t)n < destChars;
}
