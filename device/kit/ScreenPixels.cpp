// Reading the device's screen, as tests compare what programs drew on it.
#include "DeviceKit.h"

std::vector<COLORREF> ScreenPixels(int x, int y, int width, int height)
{
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.push_back(GetPixel(screen, x + column, y + row));
    ReleaseDC(nullptr, screen);
    return pixels;
}

COLORREF ScreenPixel(int x, int y) { return ScreenPixels(x, y, 1, 1)[0]; }
