#include "core/DebugLog.h"
#include <stdarg.h>
#include "ScopedWin.h"
#include "core/AppState.h"
#include "protocol/InstallContract.h"

DWORD g_debugEnabled;
static DWORD s_memoryBaseline; // free physical memory at the first logged line

// Several threads log, and a second instance that is being refused logs into the same
// file. Appends through separate handles are not atomic, so one line is written at
// a time, across processes. A holder killed while writing hands the lock on; one
// that hangs costs the waiter its line, never the waiter itself.
enum { LOG_LOCK_WAIT_MS = 1000 };
static HANDLE s_logLock = CreateMutexW(nullptr, FALSE, kDebugLogLock);

// The line as written, held while the lock is: text mode's CRLF line ends, the
// system's code page. Kept static so that no thread needs the space on its stack.
enum { LINE_CHARS = LOG_STAMP_CHARS + DEBUG_MESSAGE_CHARS, LINE_TEXT_CHARS = 2 * LINE_CHARS + 2 };
static WCHAR s_lineText[LINE_TEXT_CHARS];
static char s_lineBytes[2 * LINE_TEXT_CHARS];

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

// Appends `text` to the line with every line break written as CR LF; returns the new length.
static size_t AppendWithCrLf(size_t length, const WCHAR* text)
{
    for (; *text && length + 2 < LINE_TEXT_CHARS; ++text) {
        if (*text == L'\n')
            s_lineText[length++] = L'\r';
        s_lineText[length++] = *text;
    }
    return length;
}

// Writes with the file system's own calls rather than a runtime stream: a stream
// takes the runtime's and the heap's locks, which a thread killed inside it would
// leave held for every later caller.
static void AppendLine(const WCHAR* stamp, const WCHAR* message)
{
    size_t length = AppendWithCrLf(0, stamp);
    length = AppendWithCrLf(length, message);
    length = AppendWithCrLf(length, L"\n");
    int bytes = WideCharToMultiByte(CP_ACP, 0, s_lineText, (int)length, s_lineBytes, (int)sizeof s_lineBytes,
                                    nullptr, nullptr);
    if (bytes <= 0)
        return;

    ScopedHandle file(CreateFileW(kDebugLogFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return; // a file system that refuses the file loses the line, nothing else
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        WriteFile(file, s_lineBytes, (DWORD)bytes, &written, nullptr);
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

    ScopedLock lock(s_logLock, LOG_LOCK_WAIT_MS);
    if (!lock.Held())
        return;
    WCHAR stamp[LOG_STAMP_CHARS];
    FormatLogStamp(stamp, now, FreePhysicalMemory(), s_memoryBaseline);
    AppendLine(stamp, message);
}
