// How a message queue of the emulated device is reached from another process: a
// mailslot carries the messages, a named auto-reset event wakes the reader.
// Internal to the platform layer.
#pragma once
#include <windows.h>

enum { QUEUE_NAME_CHARS = 64, QUEUE_PATH_CHARS = 128 };

void QueueSlotPath(WCHAR* path, size_t pathChars, LPCWSTR queueName);
void QueueEventName(WCHAR* name, size_t nameChars, LPCWSTR queueName);
// The name behind a reading queue's handle; FALSE for other handles.
BOOL QueueNameOf(HANDLE queue, WCHAR* name, size_t nameChars);
// Sends one message to the named queue from any process. FALSE when no reader has it open.
BOOL PostToQueue(LPCWSTR queueName, const void* data, DWORD bytes);
