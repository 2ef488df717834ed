// The USB host driver's side for tests: run the driver simulator with a script, post
// in-process, or stand in for the program's listener thread.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "DeviceKit.h"
#include "DriverProtocol.h"

// Runs the same commands in this process: no process start, so fast; posts to the
// listener named by INTRCM.
UsbResult PostUsbScript(const std::string& script, std::string* message = nullptr);

// One driver message to the listener named by INTRCM; false when none or it is gone.
bool PostToListener(UINT message, WPARAM wParam, LPARAM lParam);

struct ThreadMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A thread with a message queue that publishes itself in INTRCM and keeps every
// message it receives, in order: the program's listener as the driver sees it.
class FakeListener {
public:
    FakeListener();
    ~FakeListener(); // ends the thread; INTRCM is left as it is
    DWORD ThreadId() const { return threadId_; }
    std::vector<ThreadMessage> Messages() const;
    // Waits until at least `count` messages have arrived; returns them all.
    std::vector<ThreadMessage> WaitForMessages(size_t count, DWORD timeoutMs = 10000) const;

private:
    static DWORD WINAPI Run(void* self);
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<ThreadMessage> messages_;
};
