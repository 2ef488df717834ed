// Scoped owners of Win32 resources, for the product, the platform layer and the
// device kit: whatever a routine opens, creates, gets, selects or locks is given
// back when its owner goes out of scope, on every path. An owner that lives longer
// (a record's member, a global) gives its resource back at a chosen moment with
// Reset(), or hands it on, unreleased, with Release(). Every owner calls only what
// the device's system exports.
#pragma once
#include <windows.h>
#include <commctrl.h>

// A kernel handle: file, thread, process, event, mutex, snapshot. CreateFile fails
// with INVALID_HANDLE_VALUE, the others with null; either means no handle.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    bool IsValid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return handle_; }
    HANDLE Get() const { return handle_; }
    void Reset(HANDLE handle = nullptr)
    {
        if (IsValid() && handle_ != handle)
            CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE Release()
    {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

private:
    HANDLE handle_ = nullptr;
};

// An open registry key. Out() is the out-parameter of RegOpenKeyEx and
// RegCreateKeyEx; a key held before is closed first.
class ScopedRegKey {
public:
    ScopedRegKey() = default;
    explicit ScopedRegKey(HKEY key) : key_(key) {}
    ~ScopedRegKey() { Reset(); }
    HKEY* Out()
    {
        Reset();
        return &key_;
    }
    operator HKEY() const { return key_; }
    HKEY Get() const { return key_; }
    void Reset(HKEY key = nullptr)
    {
        if (key_ && key_ != key)
            RegCloseKey(key_);
        key_ = key;
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

private:
    HKEY key_ = nullptr;
};

// A file search from FindFirstFile, which fails with INVALID_HANDLE_VALUE.
class ScopedFind {
public:
    explicit ScopedFind(HANDLE search) : search_(search) {}
    ~ScopedFind()
    {
        if (IsValid())
            FindClose(search_);
    }
    bool IsValid() const { return search_ && search_ != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return search_; }
    HANDLE Get() const { return search_; }
    ScopedFind(const ScopedFind&) = delete;
    ScopedFind& operator=(const ScopedFind&) = delete;

private:
    HANDLE search_;
};

// A loaded library. One that must stay loaded (its code may still run) is let go
// with Release() rather than freed.
class ScopedModule {
public:
    ScopedModule() = default;
    explicit ScopedModule(HMODULE module) : module_(module) {}
    ~ScopedModule() { Reset(); }
    operator HMODULE() const { return module_; }
    HMODULE Get() const { return module_; }
    void Reset(HMODULE module = nullptr)
    {
        if (module_ && module_ != module)
            FreeLibrary(module_);
        module_ = module;
    }
    HMODULE Release()
    {
        HMODULE module = module_;
        module_ = nullptr;
        return module;
    }
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;

private:
    HMODULE module_ = nullptr;
};

// A window's DC, or the whole screen's for a null window. Constructed from a window
// it takes the DC at once; one kept longer is taken with Acquire().
class ScopedGetDC {
public:
    ScopedGetDC() = default;
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() { Reset(); }
    // Releases the DC held and takes the window's again; null when none is had.
    HDC Acquire(HWND window)
    {
        Reset();
        window_ = window;
        dc_ = GetDC(window);
        return dc_;
    }
    void Reset()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
        dc_ = nullptr;
    }
    operator HDC() const { return dc_; }
    HDC Get() const { return dc_; }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// A memory DC compatible with another DC (the screen for null). Constructed from a
// DC it makes its own at once; one kept longer is made with Create().
class ScopedMemoryDC {
public:
    ScopedMemoryDC() = default;
    explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC() { Reset(); }
    // Deletes the DC held and makes another; null when none could be made.
    HDC Create(HDC compatibleWith)
    {
        Reset();
        dc_ = CreateCompatibleDC(compatibleWith);
        return dc_;
    }
    void Reset()
    {
        if (dc_)
            DeleteDC(dc_);
        dc_ = nullptr;
    }
    operator HDC() const { return dc_; }
    HDC Get() const { return dc_; }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

private:
    HDC dc_ = nullptr;
};

// A WM_PAINT's BeginPaint, ended with EndPaint whatever BeginPaint returned.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    operator HDC() const { return dc_; }
    HDC Get() const { return dc_; }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// A GDI object (bitmap, brush, font, pen), deleted unless handed on with Release().
// Declared before a ScopedSelect of it, so that it is selected out before it goes.
template <class T> class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(T object) : object_(object) {}
    ~ScopedGdiObject() { Reset(); }
    operator T() const { return object_; }
    T Get() const { return object_; }
    void Reset(T object = nullptr)
    {
        if (object_ && object_ != object)
            DeleteObject(object_);
        object_ = object;
    }
    T Release()
    {
        T object = object_;
        object_ = nullptr;
        return object;
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

private:
    T object_ = nullptr;
};
typedef ScopedGdiObject<HBITMAP> ScopedBitmap;
typedef ScopedGdiObject<HBRUSH> ScopedBrush;
typedef ScopedGdiObject<HFONT> ScopedFont;
typedef ScopedGdiObject<HPEN> ScopedPen;

// An object selected into a DC; the DC's previous object is selected back. A
// selection that failed (HGDI_ERROR) has nothing to undo.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window class of a module, taken on once registered (or found registered) and
// unregistered by name. The name is not copied: it must outlive the owner's hold.
class ScopedWindowClass {
public:
    ScopedWindowClass() = default;
    ~ScopedWindowClass() { Reset(); }
    void Reset(const WCHAR* name = nullptr, HINSTANCE instance = nullptr)
    {
        if (name_)
            UnregisterClassW(name_, instance_);
        name_ = name;
        instance_ = instance;
    }
    // Lets the class stay registered (a window of it is left alive).
    void Release()
    {
        name_ = nullptr;
        instance_ = nullptr;
    }
    ScopedWindowClass(const ScopedWindowClass&) = delete;
    ScopedWindowClass& operator=(const ScopedWindowClass&) = delete;

private:
    const WCHAR* name_ = nullptr;
    HINSTANCE instance_ = nullptr;
};

// An image list of the common controls.
class ScopedImageList {
public:
    ScopedImageList() = default;
    explicit ScopedImageList(HIMAGELIST images) : images_(images) {}
    ~ScopedImageList() { Reset(); }
    operator HIMAGELIST() const { return images_; }
    HIMAGELIST Get() const { return images_; }
    void Reset(HIMAGELIST images = nullptr)
    {
        if (images_ && images_ != images)
            ImageList_Destroy(images_);
        images_ = images;
    }
    HIMAGELIST Release()
    {
        HIMAGELIST images = images_;
        images_ = nullptr;
        return images;
    }
    ScopedImageList(const ScopedImageList&) = delete;
    ScopedImageList& operator=(const ScopedImageList&) = delete;

private:
    HIMAGELIST images_ = nullptr;
};

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
