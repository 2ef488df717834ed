// The two power workers: one drops the backlight after the quiet time, the other
// logs the system's power transitions.
#include "input/PowerThreads.h"
#include <msgqueue.h>
#include <pm.h>
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/Settings.h"
#include "input/Backlight.h"

enum { POWER_CHECK_MS = 5000, POWER_MESSAGE_BYTES = 44 };

SharedFlag g_powerThreadReturned;

DWORD WINAPI PowerTimeoutThread(LPVOID)
{
    DebugLog(L"PowerTimeoutThread call");
    while (!g_terminate.IsSet()) {
        Sleep(POWER_CHECK_MS);
        if (!g_terminate.IsSet()) // termination releases the backlight itself, once input has stopped
            ReleaseBacklightAfterQuiet(AppSettings().BacklightTimeout);
    }
    return 0;
}

// Logs one queued transition; the state's name is cut to what the message carried.
static void LogPowerMessage(const BYTE* message, DWORD bytes)
{
    const DWORD header = 3 * sizeof(DWORD);
    if (bytes < header)
        return;
    const POWER_BROADCAST* broadcast = (const POWER_BROADCAST*)message;
    WCHAR state[POWER_MESSAGE_BYTES / sizeof(WCHAR) + 1] = {};
    DWORD chars = (bytes - header) / sizeof(WCHAR);
    for (DWORD i = 0; i < chars && broadcast->SystemPowerState[i]; ++i)
        state[i] = broadcast->SystemPowerState[i];
    DebugLog(L"PowerNotificationThread New Status: %X [%s]", broadcast->Flags, state);
}

DWORD WINAPI PowerNotificationThread(LPVOID)
{
    DebugLog(L"PowerNotificationThread call");
    MSGQUEUEOPTIONS options = {};
    options.dwSize = sizeof options;
    options.dwFlags = 0;
    options.dwMaxMessages = 0;
    options.cbMaxMessage = POWER_MESSAGE_BYTES;
    options.bReadAccess = TRUE;
    HANDLE queue = CreateMsgQueue(nullptr, &options);
    HANDLE notifications = queue ? RequestPowerNotifications(queue, PBT_TRANSITION) : nullptr;
    int loop = queue && notifications;
    DebugLog(L"PowerNotificationThread loop [%d].", loop);

    if (loop) {
        HANDLE waits[2] = {queue, g_closeEvent};
        DWORD waitCount = g_closeEvent ? ARRAYSIZE(waits) : 1;
        while (!g_terminate.IsSet()) {
            if (WaitForMultipleObjects(waitCount, waits, FALSE, INFINITE) == WAIT_FAILED)
                break; // a wait that cannot block would spin
            DWORD message[POWER_MESSAGE_BYTES / sizeof(DWORD)];
            DWORD bytes = 0, flags = 0;
            if (ReadMsgQueue(queue, message, sizeof message, &bytes, 0, &flags))
                LogPowerMessage((const BYTE*)message, bytes);
        }
    }

    DebugLog(L"PowerNotificationThread exiting.");
    if (notifications)
        StopPowerNotifications(notifications);
    if (queue) {
        CloseMsgQueue(queue);
        queue = nullptr;
    }
    g_powerThreadReturned.Set(true);
    return 0;
}
