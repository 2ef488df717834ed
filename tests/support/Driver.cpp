#include "Driver.h"

UsbResult PostUsbScript(const std::string& script, std::string* message)
{
    UsbSession session;
    return RunUsbScript(session, script, message);
}

bool PostToListener(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostDriver(ReadListenerThreadId(), message, wParam, lParam);
}

FakeListener::FakeListener()
{
    InitializeCriticalSection(&lock_);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
    // Published only once the queue exists, as the program does.
    WaitForSingleObject(ready_, 10000);
    WriteListenerThreadId(threadId_);
}

FakeListener::~FakeListener()
{
    if (thread_) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
}

DWORD WINAPI FakeListener::Run(void* self)
{
    FakeListener* me = (FakeListener*)self;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // creates the queue
    SetEvent(me->ready_);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        EnterCriticalSection(&me->lock_);
        me->messages_.push_back({msg.message, msg.wParam, msg.lParam});
        LeaveCriticalSection(&me->lock_);
    }
    return 0;
}

std::vector<ThreadMessage> FakeListener::Messages() const
{
    EnterCriticalSection(&lock_);
    std::vector<ThreadMessage> copy = messages_;
    LeaveCriticalSection(&lock_);
    return copy;
}

std::vector<ThreadMessage> FakeListener::WaitForMessages(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<ThreadMessage> copy = Messages();
        if (copy.size() >= count || GetTickCount() - start >= timeoutMs)
            return copy;
        Sleep(10);
    }
}
