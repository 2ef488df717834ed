// Point-to-point message queues (CE kernel API), as the platform layer provides
// them on this build. A queue's handle is waitable: it is signalled while a message
// can be read. Queues reach across processes by name; an unnamed queue gets a
// private one, so that power notifications can be delivered to it.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MSGQUEUEOPTIONS_OS {
    DWORD dwSize;        // sizeof(MSGQUEUEOPTIONS)
    DWORD dwFlags;       // MSGQUEUE_NOPRECOMMIT, MSGQUEUE_ALLOW_BROKEN
    DWORD dwMaxMessages; // 0: no limit
    DWORD cbMaxMessage;  // largest message in bytes
    BOOL bReadAccess;    // TRUE: the reading end, FALSE: a writing end
} MSGQUEUEOPTIONS, *LPMSGQUEUEOPTIONS, *PMSGQUEUEOPTIONS;

#define MSGQUEUE_NOPRECOMMIT  0x00000001
#define MSGQUEUE_ALLOW_BROKEN 0x00000002
#define MSGQUEUE_MSGALERT     0x00000001

HANDLE WINAPI CreateMsgQueue(LPCWSTR name, LPMSGQUEUEOPTIONS options);
BOOL WINAPI ReadMsgQueue(HANDLE queue, LPVOID buffer, DWORD bufferBytes, LPDWORD bytesRead, DWORD timeoutMs,
                         DWORD* flags);
BOOL WINAPI WriteMsgQueue(HANDLE queue, LPVOID data, DWORD bytes, DWORD timeoutMs, DWORD flags);
BOOL WINAPI CloseMsgQueue(HANDLE queue);

#ifdef __cplusplus
}
#endif
