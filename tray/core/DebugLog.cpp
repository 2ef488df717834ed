#include "DebugLog.h"
#include <stdarg.h>
#include <stdio.h>
#include "AppState.h"

DWORD g_debugEnabled;
static DWORD s_memoryBaseline; // free physical memory at the first logged line

// Four threads log. Appends through separate streams are not atomic: two lines
// written at once can overwrite each other, so one line is written at a time.
static CRITICAL_SECTION s_fileLock;
static int InitFileLock()
{
    InitializeCriticalSection(&s_fileLock);
    return 1;
}
static int s_fileLockReady = InitFileLock();

static DWORD FreePhysicalMemory()
{
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return (DWORD)status.dwAvailPhys;
}

void FormatLogStamp(WCHAR* stamp, const SYSTEMTIME& time, DWORD freeBytes, DWORD baselineBytes)
{
    // Free memory now and the memory lost since the first line, both in MiB. More
    // free memory than at the first line shows as a negative loss.
    const double mib = 1.0 / (1024.0 * 1024.0);
    double freeNow = freeBytes * mib;
    double lost = ((double)baselineBytes - (double)freeBytes) * mib;
    FormatText(stamp, LOG_STAMP_CHARS, L"%2d:%2d:%2d@%3.3f/%3.3f: ", time.wHour, time.wMinute, time.wSecond, freeNow,
               lost);
}

void DebugLog(const WCHAR* format, ...)
{
    if (!g_debugEnabled)
        return;

    // The message fills only the last field of the line format, so percent signs
    // inside the arguments come out as they are.
    WCHAR message[DEBUG_MESSAGE_CHARS];
    va_list args;
    va_start(args, format);
    _vsnwprintf(message, DEBUG_MESSAGE_CHARS - 1, format, args);
    va_end(args);
    message[DEBUG_MESSAGE_CHARS - 1] = 0;

    SYSTEMTIME now;
    GetLocalTime(&now);
    if (s_memoryBaseline == 0)
        s_memoryBaseline = FreePhysicalMemory();

    EnterCriticalSection(&s_fileLock);
    if (FILE* file = _wfopen(L"\\ui.tray.dbg", L"a")) {
        WCHAR stamp[LOG_STAMP_CHARS];
        FormatLogStamp(stamp, now, FreePhysicalMemory(), s_memoryBaseline);
        fwprintf(file, L"%s%s\n", stamp, message);
        fclose(file);
    }
    LeaveCriticalSection(&s_fileLock);
}
