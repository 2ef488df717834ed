// Scoped GDI helpers: every selection is undone and every object released when the
// scope ends, so a drawing routine cannot leak a handle on an early return.
#pragma once
#include <windows.h>

// Selects an object into a device context; the previous one comes back at scope end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A GDI object (font, bitmap, brush) deleted at scope end.
class OwnedGdiObject {
public:
    explicit OwnedGdiObject(HGDIOBJ object) : object_(object) {}
    ~OwnedGdiObject()
    {
        if (object_)
            DeleteObject(object_);
    }
    HGDIOBJ get() const { return object_; }
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;

private:
    HGDIOBJ object_;
};

// A memory device context compatible with `like` (the screen when null).
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC get() const { return dc_; }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

private:
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintSession {
public:
    explicit PaintSession(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintSession() { EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }
    PaintSession(const PaintSession&) = delete;
    PaintSession& operator=(const PaintSession&) = delete;

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};
