// Scoped owners of Win32 resources, for the product, the platform layer and the
// device kit: whatever a routine opens, creates, gets, selects or locks is given
// back when its owner goes out of scope, on every path. An owner that lives longer
// (a record's member, a global) gives its resource back at a chosen moment with
// Reset(), or hands it on, unreleased, with Release(). Every owner calls only what
// the device's system exports.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The one shape of an owner: it holds one handle of a kind and gives it back. A
// Kind says what its handles are and how one is given back:
//   struct Kind { typedef HANDLE_TYPE Handle; static bool Held(Handle); static void Free(Handle); };
// An owner moves (the one moved from is left empty) and is never copied.
template <class Kind> class ScopedOwner {
public:
    typedef typename Kind::Handle Handle;

    ScopedOwner() = default;
    explicit ScopedOwner(Handle handle) : handle_(handle) {}
    ~ScopedOwner() { Reset(); }
    ScopedOwner(ScopedOwner&& other) : handle_(other.Release()) {}
    ScopedOwner& operator=(ScopedOwner&& other)
    {
        Reset(other.Release());
        return *this;
    }
    ScopedOwner(const ScopedOwner&) = delete;
    ScopedOwner& operator=(const ScopedOwner&) = delete;

    bool IsValid() const { return Kind::Held(handle_); }
    operator Handle() const { return handle_; }
    Handle Get() const { return handle_; }
    // Gives back the handle held, unless it is the one taken instead.
    void Reset(Handle handle = nullptr)
    {
        if (IsValid() && handle_ != handle)
            Kind::Free(handle_);
        handle_ = handle;
    }
    // Hands the handle on unreleased; the owner is left empty.
    Handle Release()
    {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // The out-parameter of a function that opens one (RegOpenKeyEx,
    // RegCreateKeyEx); a handle held before is given back first.
    Handle* Out()
    {
        Reset();
        return &handle_;
    }

private:
    Handle handle_ = nullptr;
};

// An owner to be moved from, as std::move gives it (`kept = Moved(made);`); the
// device's build has no C++ standard library headers.
template <class T> T&& Moved(T& owner) { return static_cast<T&&>(owner); }

// The kinds of handle. Most mean none when null; CreateFile and FindFirstFile fail
// with INVALID_HANDLE_VALUE instead, and there either means no handle.
template <class H> struct NullMeansNone {
    typedef H Handle;
    static bool Held(H handle) { return handle != nullptr; }
};
struct InvalidMeansNone {
    typedef HANDLE Handle;
    static bool Held(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
};
struct KernelHandleKind : InvalidMeansNone { static void Free(HANDLE handle) { CloseHandle(handle); } };
struct FindKind : InvalidMeansNone { static void Free(HANDLE search) { FindClose(search); } };
struct RegKeyKind : NullMeansNone<HKEY> { static void Free(HKEY key) { RegCloseKey(key); } };
struct ModuleKind : NullMeansNone<HMODULE> { static void Free(HMODULE module) { FreeLibrary(module); } };
template <class T> struct GdiObjectKind : NullMeansNone<T> { static void Free(T object) { DeleteObject(object); } };
struct ImageListKind : NullMeansNone<HIMAGELIST> { static void Free(HIMAGELIST list) { ImageList_Destroy(list); } };
struct MemoryDCKind : NullMeansNone<HDC> { static void Free(HDC dc) { DeleteDC(dc); } };

// A kernel handle: file, thread, process, event, mutex, snapshot.
typedef ScopedOwner<KernelHandleKind> ScopedHandle;
// A file search from FindFirstFile.
typedef ScopedOwner<FindKind> ScopedFind;
// An open registry key.
typedef ScopedOwner<RegKeyKind> ScopedRegKey;
// A loaded library. One that must stay loaded (its code may still run) is let go
// with Release() rather than freed.
typedef ScopedOwner<ModuleKind> ScopedModule;
// A GDI object (bitmap, brush, font, pen), deleted unless handed on with Release().
// Declared before a ScopedSelect of it, so that it is selected out before it goes.
template <class T> using ScopedGdiObject = ScopedOwner<GdiObjectKind<T>>;
typedef ScopedGdiObject<HBITMAP> ScopedBitmap;
typedef ScopedGdiObject<HBRUSH> ScopedBrush;
typedef ScopedGdiObject<HFONT> ScopedFont;
typedef ScopedGdiObject<HPEN> ScopedPen;
// An image list of the common controls.
typedef ScopedOwner<ImageListKind> ScopedImageList;

// A memory DC compatible with another DC (the screen for null). Constructed from a
// DC it makes its own at once; one kept longer is made with Create().
class ScopedMemoryDC : public ScopedOwner<MemoryDCKind> {
public:
    ScopedMemoryDC() = default;
    explicit ScopedMemoryDC(HDC compatibleWith) : ScopedOwner(CreateCompatibleDC(compatibleWith)) {}
    // Deletes the DC held and makes another; null when none could be made.
    HDC Create(HDC compatibleWith)
    {
        Reset();
        Reset(CreateCompatibleDC(compatibleWith));
        return Get();
    }
};

// What the owners below hold is theirs alone: they are neither copied nor moved.
class NoCopy {
public:
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;

protected:
    NoCopy() = default;
};

// A window's DC, or the whole screen's for a null window. Constructed from a window
// it takes the DC at once; one kept longer is taken with Acquire().
class ScopedGetDC : NoCopy {
public:
    ScopedGetDC() = default;
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() { Reset(); }
    // Releases the DC held and takes the window's; null when none is had.
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

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// The owners below are bound to their scope: each undoes one thing it did, with
// what it remembers of it (a window, a paint, a previous selection, a wait).

// A WM_PAINT's BeginPaint, ended with EndPaint whatever BeginPaint returned.
class ScopedPaint : NoCopy {
public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    operator HDC() const { return dc_; }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// An object selected into a DC; the DC's previous object is selected back. A
// selection that failed (HGDI_ERROR) has nothing to undo.
class ScopedSelect : NoCopy {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Holds a mutex for the scope. A mutex rather than a critical section, because a
// thread that is killed while holding it hands it to the next waiter (the wait then
// reports it abandoned) instead of leaving it owned for good. The wait is bounded:
// a holder that hangs costs the waiter its work, never the waiter itself.
class ScopedLock : NoCopy {
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

private:
    HANDLE mutex_;
    bool held_;
};
