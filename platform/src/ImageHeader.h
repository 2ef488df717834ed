// The pixel size a picture file declares, read from its header alone, for the
// picture formats the device's image loader decodes (JPEG, PNG, GIF, BMP).
#pragma once
#include <windows.h>

struct ImageSize {
    UINT width;
    UINT height;
};

// false when the file cannot be read, is of another format, or its header is damaged.
bool ReadImageSize(LPCWSTR fileName, ImageSize* size);

// Whether a 64 MiB device could decode a picture of this size (see the limits).
bool FitsTheDevice(const ImageSize& size);
