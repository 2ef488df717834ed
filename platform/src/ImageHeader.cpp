// Picture sizes from file headers, so that a picture too large to decode is refused
// before any decoder allocates for it.
#include "ImageHeader.h"
#include <limits.h>
#include <string.h>
#include "ScopedWin.h"

namespace {
// A process of the device runs in a 32 MiB address slot, on a device with 64 MiB of
// memory in all. A decoded picture takes 4 bytes a pixel, and the decoder holds a
// copy of its own while it works. At 2 Mi pixels that is 16 MiB, half the slot:
// about seven screens of the largest device (480 x 640), several times more than
// any picture a program for it needs. Either side past 4096 pixels is no picture
// for a handheld either.
const UINT kMaxPixels = 2u * 1024 * 1024;
const UINT kMaxSide = 4096;

// JPEG headers may carry large metadata segments before the frame header; past
// this much the file is not looked at further.
const DWORD kMaxJpegHeaderBytes = 1024 * 1024;

class File {
public:
    explicit File(LPCWSTR name)
        : handle_(CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    bool Read(DWORD offset, BYTE* buffer, DWORD bytes) const
    {
        DWORD read = 0;
        return handle_.IsValid() && SetFilePointer(handle_, (LONG)offset, nullptr, FILE_BEGIN) == offset &&
               ReadFile(handle_, buffer, bytes, &read, nullptr) && read == bytes;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

private:
    ScopedHandle handle_;
};

UINT BigEndian16(const BYTE* p) { return (UINT)p[0] << 8 | p[1]; }
UINT BigEndian32(const BYTE* p) { return (UINT)p[0] << 24 | (UINT)p[1] << 16 | (UINT)p[2] << 8 | p[3]; }
UINT LittleEndian16(const BYTE* p) { return (UINT)p[1] << 8 | p[0]; }
UINT LittleEndian32(const BYTE* p) { return (UINT)p[3] << 24 | (UINT)p[2] << 16 | (UINT)p[1] << 8 | p[0]; }

bool IsFrameMarker(BYTE marker)
{
    // SOF0..SOF15, without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments up to the frame header, which holds the size.
bool ReadJpegSize(const File& file, ImageSize* size)
{
    for (DWORD at = 2; at < kMaxJpegHeaderBytes;) {
        BYTE segment[4];
        if (!file.Read(at, segment, 2) || segment[0] != 0xFF)
            return false;
        BYTE marker = segment[1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length field
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, or scan data before any frame
            return false;
        if (!file.Read(at + 2, segment + 2, 2))
            return false;
        UINT length = BigEndian16(segment + 2);
        if (length < 2)
            return false;
        if (IsFrameMarker(marker)) {
            BYTE frame[5]; // precision, height, width
            if (length < 2 + sizeof frame || !file.Read(at + 4, frame, sizeof frame))
                return false;
            size->height = BigEndian16(frame + 1);
            size->width = BigEndian16(frame + 3);
            return true;
        }
        at += 2 + length;
    }
    return false;
}
} // namespace

bool ReadImageSize(LPCWSTR fileName, ImageSize* size)
{
    File file(fileName);
    BYTE head[26] = {};
    if (!file.Read(0, head, 2))
        return false;
    if (head[0] == 0xFF && head[1] == 0xD8)
        return ReadJpegSize(file, size);
    if (!file.Read(0, head, sizeof head))
        return false;
    static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (memcmp(head, kPng, sizeof kPng) == 0 && memcmp(head + 12, "IHDR", 4) == 0) {
        size->width = BigEndian32(head + 16);
        size->height = BigEndian32(head + 20);
        return true;
    }
    if (memcmp(head, "GIF87a", 6) == 0 || memcmp(head, "GIF89a", 6) == 0) {
        size->width = LittleEndian16(head + 6);
        size->height = LittleEndian16(head + 8);
        return true;
    }
    if (head[0] == 'B' && head[1] == 'M') {
        UINT infoBytes = LittleEndian32(head + 14);
        if (infoBytes == 12) { // the old core header: 16-bit sides
            size->width = LittleEndian16(head + 18);
            size->height = LittleEndian16(head + 20);
            return true;
        }
        if (infoBytes < 40)
            return false;
        LONG width = (LONG)LittleEndian32(head + 18), height = (LONG)LittleEndian32(head + 22);
        if (width <= 0 || height == 0 || height == LONG_MIN)
            return false;
        size->width = (UINT)width;
        size->height = (UINT)(height < 0 ? -height : height); // negative: stored top-down
        return true;
    }
    return false;
}

bool FitsTheDevice(const ImageSize& size)
{
    return size.width > 0 && size.height > 0 && size.width <= kMaxSide && size.height <= kMaxSide &&
           size.width * size.height <= kMaxPixels;
}
