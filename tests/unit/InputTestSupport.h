// Shared by the input tests: a full-screen window on its own thread that records the
// pointer and key messages it receives (screen coordinates), and small helpers for
// the program's state. Header-only: every test file is its own executable.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "ce_device_input.h"

struct InputEvent {
    UINT message;
    int x, y;    // screen coordinates (pointer messages)
    int delta;   // wheel delta
    UINT vk;     // key messages
    UINT scan;
    DWORD tick;  // GetTickCount when received
};

// A topmost popup covering the whole screen, painted in one colour, that records
// what arrives. Mouse and key messages are recorded; everything else is handled
// by DefWindowProc.
class EventWindow {
public:
    explicit EventWindow(COLORREF background = RGB(0x30, 0x60, 0x90), bool topmost = true)
        : background_(background), topmost_(topmost)
    {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { Run(); });
        WaitForSingleObject(ready_, 10000);
        CloseHandle(ready_);
    }
    ~EventWindow()
    {
        if (window_)
            PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND handle() const { return window_; }
    DWORD threadId() const { return threadId_; }

    std::vector<InputEvent> Events()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    // Only the messages of the given kinds.
    std::vector<InputEvent> Events(std::initializer_list<UINT> kinds)
    {
        std::vector<InputEvent> out;
        for (const InputEvent& e : Events())
            for (UINT k : kinds)
                if (e.message == k)
                    out.push_back(e);
        return out;
    }
    void Clear()
    {
        Settle();
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }
    // Waits until at least `count` messages of the kinds have arrived.
    bool WaitFor(std::initializer_list<UINT> kinds, size_t count, DWORD timeoutMs = 3000)
    {
        DWORD start = GetTickCount();
        while (Events(kinds).size() < count) {
            if (GetTickCount() - start > timeoutMs)
                return false;
            Sleep(10);
        }
        return true;
    }
    // Lets injected input that is still on its way arrive.
    void Settle()
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
        Sleep(100);
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result);
    }
    // Every window operation runs on the window's own thread.
    void BringToFront()
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window_, WM_APP, 0, 0, SMTO_BLOCK, 2000, &result);
        Settle();
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        EventWindow* self = (EventWindow*)GetWindowLongPtrW(window, GWLP_USERDATA);
        if (message == WM_NCCREATE) {
            self = (EventWindow*)((CREATESTRUCTW*)lParam)->lpCreateParams;
            SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)self);
        }
        if (!self)
            return DefWindowProcW(window, message, wParam, lParam);
        InputEvent e = {message, 0, 0, 0, 0, 0, GetTickCount()};
        switch (message) {
        case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_LBUTTONDBLCLK: {
            POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            ClientToScreen(window, &p);
            e.x = p.x;
            e.y = p.y;
            self->Record(e);
            return 0;
        }
        case WM_MOUSEWHEEL:
            e.x = (short)LOWORD(lParam);
            e.y = (short)HIWORD(lParam);
            e.delta = (short)HIWORD(wParam);
            self->Record(e);
            return 0;
        case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYDOWN: case WM_SYSKEYUP:
            e.vk = (UINT)wParam;
            e.scan = (UINT)((lParam >> 16) & 0xFF);
            self->Record(e);
            return 0;
        case WM_APP:
            SetWindowPos(window, self->topmost_ ? HWND_TOPMOST : HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                         SWP_SHOWWINDOW);
            SetForegroundWindow(window);
            SetFocus(window);
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            HBRUSH brush = CreateSolidBrush(self->background_);
            FillRect((HDC)wParam, &client, brush);
            DeleteObject(brush);
            return 1;
        }
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void Record(const InputEvent& e)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(e);
    }

    void Run()
    {
        threadId_ = GetCurrentThreadId();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
        wc.lpszClassName = L"InputTestEventWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(topmost_ ? WS_EX_TOPMOST : 0, wc.lpszClassName, L"Input test", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  wc.hInstance, this);
        UpdateWindow(window_);
        SetForegroundWindow(window_);
        SetFocus(window_);
        SetEvent(ready_);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        window_ = nullptr;
    }

    COLORREF background_;
    bool topmost_;
    HANDLE ready_ = nullptr;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<InputEvent> events_;
};

// Runs a routine on a thread of its own and waits for it (a window owned elsewhere).
template <class F> void RunOnOtherThread(F f)
{
    std::thread t(f);
    t.join();
}
