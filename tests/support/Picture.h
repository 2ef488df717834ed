// A picture file decoded the way the program decodes it (SHLoadImageFile of the
// platform layer), as pixels. For test executables that link the platform layer.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // row by row
    COLORREF At(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

bool LoadPicture(const std::wstring& path, Picture* picture);
