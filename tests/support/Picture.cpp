#include "Picture.h"
#include "aygshell.h"

bool LoadPicture(const std::wstring& path, Picture* picture)
{
    HBITMAP bitmap = SHLoadImageFile(path.c_str());
    if (!bitmap)
        return false;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight; // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bgra((size_t)info.bmWidth * info.bmHeight);
    HDC dc = GetDC(nullptr);
    int lines = GetDIBits(dc, bitmap, 0, (UINT)info.bmHeight, bgra.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    picture->width = info.bmWidth;
    picture->height = info.bmHeight;
    picture->pixels.clear();
    for (DWORD p : bgra)
        picture->pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return lines == info.bmHeight;
}
