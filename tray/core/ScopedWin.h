// Scoped owners of Win32 resources: whatever a routine selects, creates, gets or
// locks is given back when the owner goes out of scope, on every path.
#pragma once
#include <windows.h>

// An object selected into a DC; the DC's previous object is selected back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory DC compatible with another DC.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    operator HDC() const { return dc_; }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

private:
    HDC dc_;
};

// A window's DC, or the whole screen's for a null window.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    operator HDC() const { return dc_; }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

private:
    HWND window_;
    HDC dc_;
};

// A GDI object (bitmap, brush, pen, font) deleted at the end of the scope unless
// handed on with Release().
template <class T> class ScopedGdiObject {
public:
    explicit ScopedGdiObject(T object) : object_(object) {}
    ~ScopedGdiObject()
    {
        if (object_)
            DeleteObject(object_);
    }
    operator T() const { return object_; }
    T Get() const { return object_; }
    T Release()
    {
        T object = object_;
        object_ = nullptr;
        return object;
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

private:
    T object_;
};
typedef ScopedGdiObject<HBITMAP> ScopedBitmap;
typedef ScopedGdiObject<HBRUSH> ScopedBrush;

// Holds a mutex for the scope. A mutex rather than a critical section, because a
// thread that is killed while holding it hands it to the next waiter (the wait then
// reports it abandoned) instead of leaving it owned for good. The wait is bounded:
// a holder that hangs costs the waiter its work, never the waiter itself.
class ScopedLock {
public:
    ScopedLock(HANDLE mutex, DWORD timeoutMs) : mutex_(mutex), held_(false)
    {
        if (mutex_) {
            DWORD wait = WaitForSingleObject(mutex_, timeoutMs);
            held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~ScopedLock()
    {
        if (held_)
            ReleaseMutex(mutex_);
    }
    bool Held() const { return held_; }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    HANDLE mutex_;
    bool held_;
};
