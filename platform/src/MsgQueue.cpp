// Point-to-point message queues. The reading end owns a mailslot and an auto-reset
// event; the event is the queue's handle, so WaitForMultipleObjects works on it as on
// the device. A reader that leaves messages behind sets the event again, so a wake-up
// is never lost when several messages arrive at once.
#define CE_DEVICE_NO_NAME_MAPPING
#include <msgqueue.h>
#include <stdio.h>
#include <wchar.h>
#include "EmulatedDevice.h"
#include "MsgQueueNames.h"

namespace {
enum { QUEUE_SLOTS = 16 };

struct Queue {
    HANDLE event;  // the handle the caller holds
    HANDLE slot;   // reading end: the mailslot; writing end: a client handle of it
    BOOL readAccess;
    DWORD maxMessage;
    WCHAR name[QUEUE_NAME_CHARS];
};

Queue s_queues[QUEUE_SLOTS];
SRWLOCK s_lock = SRWLOCK_INIT;
LONG s_unnamedCount;

bool Find(HANDLE handle, Queue* copy)
{
    bool found = false;
    AcquireSRWLockShared(&s_lock);
    for (int i = 0; i < QUEUE_SLOTS && !found; ++i)
        if (handle && s_queues[i].event == handle) {
            *copy = s_queues[i];
            found = true;
        }
    ReleaseSRWLockShared(&s_lock);
    return found;
}

void Bounded(WCHAR* out, size_t chars, const WCHAR* format, LPCWSTR text)
{
    int n = _snwprintf(out, chars - 1, format, text);
    out[chars - 1] = 0;
    if (n < 0)
        out[0] = 0;
}
} // namespace

void QueueSlotPath(WCHAR* path, size_t pathChars, LPCWSTR queueName)
{
    Bounded(path, pathChars, L"\\\\.\\mailslot\\EmulatedDevice\\MsgQueue\\%s", queueName);
}

void QueueEventName(WCHAR* name, size_t nameChars, LPCWSTR queueName)
{
    Bounded(name, nameChars, L"EmulatedDevice.MsgQueue.%s", queueName);
    for (WCHAR* c = name; *c; ++c)
        if (*c == L'\\')
            *c = L'_'; // kernel object names may not contain separators
}

BOOL QueueNameOf(HANDLE queue, WCHAR* name, size_t nameChars)
{
    Queue q;
    if (!Find(queue, &q) || !q.readAccess || nameChars == 0)
        return FALSE;
    CopyDeviceText(name, nameChars, q.name);
    return TRUE;
}

static BOOL WriteAndWake(HANDLE slot, LPCWSTR queueName, const void* data, DWORD bytes)
{
    DWORD written = 0;
    if (!WriteFile(slot, data, bytes, &written, nullptr) || written != bytes)
        return FALSE;
    WCHAR eventName[QUEUE_PATH_CHARS];
    QueueEventName(eventName, QUEUE_PATH_CHARS, queueName);
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName);
    if (event) {
        SetEvent(event);
        CloseHandle(event);
    }
    return TRUE;
}

BOOL PostToQueue(LPCWSTR queueName, const void* data, DWORD bytes)
{
    WCHAR path[QUEUE_PATH_CHARS];
    QueueSlotPath(path, QUEUE_PATH_CHARS, queueName);
    HANDLE slot = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (slot == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL ok = WriteAndWake(slot, queueName, data, bytes);
    CloseHandle(slot);
    return ok;
}

HANDLE WINAPI CreateMsgQueue(LPCWSTR name, LPMSGQUEUEOPTIONS options)
{
    if (!options || options->dwSize != sizeof(MSGQUEUEOPTIONS) || options->cbMaxMessage == 0 ||
        (name && wcslen(name) >= QUEUE_NAME_CHARS - 1)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Queue q = {};
    q.readAccess = options->bReadAccess;
    q.maxMessage = options->cbMaxMessage;
    if (name) {
        CopyDeviceText(q.name, QUEUE_NAME_CHARS, name);
    } else if (q.readAccess) {
        _snwprintf(q.name, QUEUE_NAME_CHARS - 1, L"P%lu.%ld", GetCurrentProcessId(),
                   InterlockedIncrement(&s_unnamedCount));
    } else {
        SetLastError(ERROR_INVALID_PARAMETER); // a nameless writer could never reach a reader
        return nullptr;
    }

    WCHAR path[QUEUE_PATH_CHARS], eventName[QUEUE_PATH_CHARS];
    QueueSlotPath(path, QUEUE_PATH_CHARS, q.name);
    QueueEventName(eventName, QUEUE_PATH_CHARS, q.name);
    if (q.readAccess)
        q.slot = CreateMailslotW(path, q.maxMessage, 0, nullptr);
    else
        q.slot = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (q.slot == INVALID_HANDLE_VALUE)
        return nullptr; // last error from the mailslot
    q.event = CreateEventW(nullptr, FALSE, FALSE, eventName);
    if (!q.event) {
        CloseHandle(q.slot);
        return nullptr;
    }

    bool stored = false;
    AcquireSRWLockExclusive(&s_lock);
    for (int i = 0; i < QUEUE_SLOTS && !stored; ++i)
        if (!s_queues[i].event) {
            s_queues[i] = q;
            stored = true;
        }
    ReleaseSRWLockExclusive(&s_lock);
    if (!stored) {
        CloseHandle(q.event);
        CloseHandle(q.slot);
        SetLastError(ERROR_OUTOFMEMORY);
        return nullptr;
    }
    return q.event;
}

BOOL WINAPI ReadMsgQueue(HANDLE queue, LPVOID buffer, DWORD bufferBytes, LPDWORD bytesRead, DWORD timeoutMs,
                         DWORD* flags)
{
    Queue q;
    if (!Find(queue, &q) || !q.readAccess || !buffer || !bytesRead) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *bytesRead = 0;
    if (flags)
        *flags = 0;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD next = MAILSLOT_NO_MESSAGE;
        if (!GetMailslotInfo(q.slot, nullptr, &next, nullptr, nullptr))
            return FALSE;
        if (next != MAILSLOT_NO_MESSAGE) {
            if (next > bufferBytes) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            if (!ReadFile(q.slot, buffer, bufferBytes, bytesRead, nullptr))
                return FALSE;
            // More are waiting: keep the queue signalled. (The mailslot's message count
            // is not reliable everywhere; the size of the next message is.)
            next = MAILSLOT_NO_MESSAGE;
            if (GetMailslotInfo(q.slot, nullptr, &next, nullptr, nullptr) && next != MAILSLOT_NO_MESSAGE)
                SetEvent(q.event);
            return TRUE;
        }
        DWORD waited = GetTickCount() - start;
        if (timeoutMs != INFINITE && waited >= timeoutMs) {
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        WaitForSingleObject(q.event, timeoutMs == INFINITE ? INFINITE : timeoutMs - waited);
    }
}

BOOL WINAPI WriteMsgQueue(HANDLE queue, LPVOID data, DWORD bytes, DWORD timeoutMs, DWORD flags)
{
    Queue q;
    if (!Find(queue, &q) || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (bytes > q.maxMessage) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (q.readAccess)
        return PostToQueue(q.name, data, bytes);
    return WriteAndWake(q.slot, q.name, data, bytes);
}

BOOL WINAPI CloseMsgQueue(HANDLE queue)
{
    Queue q = {};
    bool found = false;
    AcquireSRWLockExclusive(&s_lock);
    for (int i = 0; i < QUEUE_SLOTS && !found; ++i)
        if (queue && s_queues[i].event == queue) {
            q = s_queues[i];
            s_queues[i] = Queue();
            found = true;
        }
    ReleaseSRWLockExclusive(&s_lock);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseHandle(q.slot);
    CloseHandle(q.event);
    return TRUE;
}
