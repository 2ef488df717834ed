// Power notifications. A subscription is a registry value below
// HKLM\Software\EmulatedDevice\PowerSubscribers: the queue's name and the classes it
// asked for. Whoever changes the emulated device's power state delivers a
// POWER_BROADCAST record to every subscribed queue, whatever process owns it.
#define CE_DEVICE_NO_NAME_MAPPING
#include <msgqueue.h>
#include <pm.h>
#include <wchar.h>
#include "EmulatedDevice.h"
#include "ScopedWin.h"
#include "MsgQueueNames.h"
#include "ce_device_input.h"

namespace {
enum { SUBSCRIPTION_SLOTS = 8, HANDLE_BASE = 0x5F000, MAX_SUBSCRIBERS = 64 };
enum { POWER_MESSAGE_BYTES = 44, POWER_NAME_CHARS = (POWER_MESSAGE_BYTES - 3 * sizeof(DWORD)) / sizeof(WCHAR) };

const WCHAR kSubscribersKey[] = L"PowerSubscribers";

struct Subscription {
    BOOL used;
    WCHAR queueName[QUEUE_NAME_CHARS];
};

Subscription s_subscriptions[SUBSCRIPTION_SLOTS];
SRWLOCK s_lock = SRWLOCK_INIT;

// The record as it travels: header and state name in one block of at most 44 bytes.
struct PowerMessage {
    DWORD Message;
    DWORD Flags;
    DWORD Length;
    WCHAR SystemPowerState[POWER_NAME_CHARS];
};
} // namespace

static void SetSubscriber(LPCWSTR queueName, const DWORD* classes)
{
    DeviceStateLock lock;
    ScopedRegKey key(DeviceStateKey(kSubscribersKey));
    if (!key)
        return;
    if (classes)
        RegSetValueExW(key, queueName, 0, REG_DWORD, (const BYTE*)classes, sizeof *classes);
    else
        RegDeleteValueW(key, queueName);
}

HANDLE WINAPI RequestPowerNotifications(HANDLE messageQueue, DWORD flags)
{
    WCHAR name[QUEUE_NAME_CHARS];
    if (!QueueNameOf(messageQueue, name, QUEUE_NAME_CHARS) || flags == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int slot = -1;
    AcquireSRWLockExclusive(&s_lock);
    for (int i = 0; i < SUBSCRIPTION_SLOTS && slot < 0; ++i)
        if (!s_subscriptions[i].used) {
            slot = i;
            s_subscriptions[i].used = TRUE;
            CopyDeviceText(s_subscriptions[i].queueName, QUEUE_NAME_CHARS, name);
        }
    ReleaseSRWLockExclusive(&s_lock);
    if (slot < 0) {
        SetLastError(ERROR_OUTOFMEMORY);
        return nullptr;
    }
    SetSubscriber(name, &flags);
    return (HANDLE)(ULONG_PTR)(HANDLE_BASE + slot);
}

BOOL WINAPI StopPowerNotifications(HANDLE notifications)
{
    LONG_PTR slot = (LONG_PTR)(ULONG_PTR)notifications - HANDLE_BASE;
    if (slot < 0 || slot >= SUBSCRIPTION_SLOTS) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    AcquireSRWLockExclusive(&s_lock);
    Subscription held = s_subscriptions[slot];
    s_subscriptions[slot] = Subscription();
    ReleaseSRWLockExclusive(&s_lock);
    if (!held.used) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SetSubscriber(held.queueName, nullptr);
    return TRUE;
}

int WINAPI CeDeliverPowerTransition(DWORD powerState, LPCWSTR stateName)
{
    PowerMessage message = {};
    message.Message = PBT_TRANSITION;
    message.Flags = powerState;
    if (stateName)
        CopyDeviceText(message.SystemPowerState, POWER_NAME_CHARS, stateName);
    message.Length = (DWORD)((wcslen(message.SystemPowerState) + 1) * sizeof(WCHAR));
    DWORD bytes = 3 * sizeof(DWORD) + message.Length;

    DeviceStateLock lock;
    ScopedRegKey key(DeviceStateKey(kSubscribersKey));
    if (!key)
        return 0;
    // Names of queues whose process has gone; removed after the walk.
    WCHAR gone[MAX_SUBSCRIBERS][QUEUE_NAME_CHARS];
    int goneCount = 0, reached = 0;
    for (DWORD i = 0; i < MAX_SUBSCRIBERS; ++i) {
        WCHAR name[QUEUE_NAME_CHARS];
        DWORD nameChars = QUEUE_NAME_CHARS, type = 0, classes = 0, size = sizeof classes;
        if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, (BYTE*)&classes, &size) != ERROR_SUCCESS)
            break;
        if (type != REG_DWORD || !(classes & PBT_TRANSITION))
            continue;
        if (PostToQueue(name, &message, bytes))
            ++reached;
        else if (goneCount < MAX_SUBSCRIBERS)
            CopyDeviceText(gone[goneCount++], QUEUE_NAME_CHARS, name);
    }
    for (int i = 0; i < goneCount; ++i)
        RegDeleteValueW(key, gone[i]);
    return reached;
}
