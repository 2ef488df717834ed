// SHLoadImageFile: decodes a picture file into a 32-bit top-down DIB section, the
// kind of bitmap that GDI selects, blits and reads pixels from like a device bitmap.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include "ImageHeader.h"
#include "ScopedWin.h"
#include "aygshell.h"

using namespace Gdiplus;

static volatile LONG s_gdiplusState; // 0 not started, 1 starting, 2 ready, 3 failed

// GDI+ is started once for the process and never shut down: pictures may be loaded
// from any thread at any time until exit.
static bool StartGdiplusOnce()
{
    for (;;) {
        LONG state = InterlockedCompareExchange(&s_gdiplusState, 1, 0);
        if (state == 0) {
            GdiplusStartupInput input;
            ULONG_PTR token = 0;
            Status status = GdiplusStartup(&token, &input, nullptr);
            InterlockedExchange(&s_gdiplusState, status == Ok ? 2 : 3);
            return status == Ok;
        }
        if (state == 2)
            return true;
        if (state == 3)
            return false;
        Sleep(1);
    }
}

static HBITMAP CreateTopDownDib(UINT width, UINT height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = (LONG)width;
    info.bmiHeader.biHeight = -(LONG)height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

extern "C" HBITMAP WINAPI SHLoadImageFile(LPCWSTR fileName)
{
    if (!fileName || !fileName[0])
        return nullptr;
    // The size is taken from the file's own header and judged before the decoder
    // sees the file: the decoder allocates whatever a header declares.
    ImageSize size;
    if (!ReadImageSize(fileName, &size) || !FitsTheDevice(size) || !StartGdiplusOnce())
        return nullptr;

    GpBitmap* picture = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(fileName, &picture) != Ok || !picture)
        return nullptr;

    HBITMAP result = nullptr;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(picture, &width);
    DllExports::GdipGetImageHeight(picture, &height);
    // The decoder's own idea of the size is held to the same limits.
    if (FitsTheDevice(ImageSize{width, height})) {
        void* bits = nullptr;
        ScopedBitmap dib(CreateTopDownDib(width, height, &bits));
        if (dib && bits) {
            // The decoder writes straight into the DIB section's pixels.
            BitmapData data = {};
            data.Width = width;
            data.Height = height;
            data.Stride = (INT)(width * 4);
            data.PixelFormat = PixelFormat32bppRGB;
            data.Scan0 = bits;
            GpRect area(0, 0, (INT)width, (INT)height);
            if (DllExports::GdipBitmapLockBits(picture, &area, ImageLockModeRead | ImageLockModeUserInputBuf,
                                               PixelFormat32bppRGB, &data) == Ok) {
                DllExports::GdipBitmapUnlockBits(picture, &data);
                GdiFlush();
                result = dib.Release();
            }
        }
    }
    DllExports::GdipDisposeImage(picture);
    return result;
}
