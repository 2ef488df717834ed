// Page files and text for the HTML viewer: the address, the bounded read and the
// character decoding. Everything read is untrusted: sizes are capped before any
// allocation and every copy stays inside its buffer.
#include "HtmlSource.h"
#include "HtmlDocument.h"
#include "ScopedWin.h"
#include <wchar.h>

namespace {

const int kLongestAddress = 2048;

bool IsDriveLetter(WCHAR c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Length of a complete, well-formed UTF-8 sequence at `at`; 0 when malformed, -1
// when it is cut off by the end of the data.
int Utf8SequenceLength(const unsigned char* at, int left, unsigned long* code)
{
    unsigned char lead = at[0];
    int length;
    unsigned long value;
    unsigned long smallest;
    if (lead < 0x80) {
        *code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (i >= left)
            return -1;
        if ((at[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (at[i] & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

bool IsValidUtf8(const unsigned char* bytes, int count)
{
    for (int i = 0; i < count;) {
        unsigned long code;
        int length = Utf8SequenceLength(bytes + i, count - i, &code);
        if (length == 0)
            return false;
        if (length < 0)
            return true; // cut off by the size limit, not malformed
        i += length;
    }
    return true;
}

// Owns a block from the process heap.
class HeapBlock {
public:
    explicit HeapBlock(SIZE_T size) : data_(HeapAlloc(GetProcessHeap(), 0, size)) {}
    ~HeapBlock()
    {
        if (data_)
            HeapFree(GetProcessHeap(), 0, data_);
    }
    unsigned char* bytes() const { return (unsigned char*)data_; }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;

private:
    void* data_;
};

// UTF-16 units in either byte order into `out` (capacity units, terminated).
int DecodeUtf16(const unsigned char* bytes, int count, bool bigEndian, WCHAR* out, int capacity)
{
    int low = bigEndian ? 1 : 0, high = 1 - low;
    int written = 0;
    for (int i = 0; i + 1 < count && written < capacity - 1; i += 2)
        out[written++] = (WCHAR)(bytes[i + low] | (bytes[i + high] << 8));
    out[written] = 0;
    return written;
}

// Bytes as UTF-8, or Latin-1 when they are not valid UTF-8, into `out` (capacity
// units, terminated). Returns the units stored.
int DecodeHtmlBytes(const unsigned char* bytes, int count, WCHAR* out, int capacity)
{
    if (capacity <= 0)
        return 0;
    int written = 0;
    if (!bytes || count <= 0) {
        out[0] = 0;
        return 0;
    }
    if (IsValidUtf8(bytes, count)) {
        int i = 0;
        if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
            i = 3; // byte-order mark
        while (i < count && written < capacity - 1) {
            unsigned long code;
            int length = Utf8SequenceLength(bytes + i, count - i, &code);
            if (length <= 0)
                break; // only a sequence cut off at the end
            if (code >= 0x10000) {
                if (written + 2 > capacity - 1)
                    break;
                code -= 0x10000;
                out[written++] = (WCHAR)(0xD800 + (code >> 10));
                out[written++] = (WCHAR)(0xDC00 + (code & 0x3FF));
            } else {
                out[written++] = (WCHAR)code;
            }
            i += length;
        }
    } else {
        for (int i = 0; i < count && written < capacity - 1; ++i)
            out[written++] = (WCHAR)bytes[i]; // Latin-1 maps byte for byte
    }
    out[written] = 0;
    return written;
}

} // namespace

bool HtmlFilePathFromAddress(const WCHAR* address, WCHAR path[MAX_PATH])
{
    path[0] = 0;
    if (!address)
        return false;
    int length = (int)wcsnlen(address, kLongestAddress + 1);
    if (length > kLongestAddress)
        return false;

    const WCHAR* at = address;
    if (_wcsnicmp(at, L"file://", 7) == 0) {
        at += 7;
        if (at[0] == L'/' && IsDriveLetter(at[1]) && at[2] == L':')
            at += 1; // file:///C:/...
    } else {
        // Another scheme ("http://") cannot be fetched; "C:\..." is a plain path.
        for (const WCHAR* p = at; *p && *p != L'\\' && *p != L'/'; ++p)
            if (*p == L':' && p - at > 1)
                return false;
    }

    int written = 0;
    for (const WCHAR* p = at; *p && *p != L'#' && *p != L'?'; ++p) {
        WCHAR c = *p;
        if (c == L'%' && HexDigitValue(p[1]) >= 0 && HexDigitValue(p[2]) >= 0) {
            c = (WCHAR)(HexDigitValue(p[1]) * 16 + HexDigitValue(p[2]));
            p += 2;
        }
        if (c == L'/')
            c = L'\\';
        if (c < 0x20)
            return false;
        if (written >= MAX_PATH - 1)
            return false;
        path[written++] = c;
    }
    path[written] = 0;
    return written > 0;
}

int ReadHtmlFile(const WCHAR* path, WCHAR* out, int capacity)
{
    if (!path || !path[0] || capacity <= 0)
        return -1;
    out[0] = 0;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    ScopedHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return -1;

    HeapBlock buffer(HTML_MAX_FILE_BYTES);
    if (!buffer.bytes())
        return -1;
    DWORD total = 0;
    while (total < (DWORD)HTML_MAX_FILE_BYTES) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.bytes() + total, (DWORD)HTML_MAX_FILE_BYTES - total, &got, nullptr))
            return -1;
        if (got == 0)
            break;
        total += got;
    }

    // A UTF-16 file says so with its byte-order mark, in either order; anything else
    // is UTF-8 (with or without its own mark) or Latin-1.
    const unsigned char* bytes = buffer.bytes();
    if (total >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return DecodeUtf16(bytes + 2, (int)total - 2, bytes[0] == 0xFE, out, capacity);
    return DecodeHtmlBytes(bytes, (int)total, out, capacity);
}
