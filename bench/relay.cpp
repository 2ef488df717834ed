// relay: the least a listener can do with the driver's mouse reports. A thread with
// a message queue publishes itself in INTRCM and turns each TM_MOUSEREPORT into one
// absolute mouse_event (position kept from the relative moves, wheel steps passed
// on), so that the benchmark can put the tray program's cost beside it.
//   relay.exe        runs until the benchmark ends it
#include <windows.h>
#include <algorithm>
#include "DeviceKit.h"
#include "DriverProtocol.h"

static DWORD WINAPI Listen(LPVOID ready)
{
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue exists before we are published
    SetEvent((HANDLE)ready);
    int x = 0, y = 0;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != TM_MOUSEREPORT)
            continue;
        int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        x = std::min(std::max(x + MouseReportDx(msg.wParam), 0), width);
        y = std::min(std::max(y + MouseReportDy(msg.wParam), 0), height);
        int wheel = MouseReportWheel(msg.wParam);
        DWORD flags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | (wheel ? MOUSEEVENTF_WHEEL : 0) | (DWORD)msg.lParam;
        mouse_event(flags, (DWORD)(x * 65535 / width), (DWORD)(y * 65535 / height), (DWORD)(wheel * WHEEL_DELTA), 0);
    }
    return 0;
}

int wmain()
{
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, Listen, ready, 0, &threadId);
    if (!thread)
        return 1;
    SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL); // as the tray program's listener
    WaitForSingleObject(ready, 5000);
    WriteListenerThreadId(threadId);
    WaitForSingleObject(thread, INFINITE);
    return 0;
}
