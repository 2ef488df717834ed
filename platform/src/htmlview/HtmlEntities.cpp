// Character references of HTML text: the named ones a hand-written page uses and
// numeric ones in decimal or hexadecimal.
#include "HtmlDocument.h"

namespace {

struct NamedEntity {
    const WCHAR* name;
    WCHAR value;
};

const NamedEntity kNamedEntities[] = {
    {L"amp", L'&'},       {L"lt", L'<'},        {L"gt", L'>'},        {L"quot", L'"'},
    {L"apos", L'\''},     {L"nbsp", 0x00A0},    {L"copy", 0x00A9},    {L"reg", 0x00AE},
    {L"trade", 0x2122},   {L"ndash", 0x2013},   {L"mdash", 0x2014},   {L"hellip", 0x2026},
    {L"bull", 0x2022},    {L"middot", 0x00B7},  {L"laquo", 0x00AB},   {L"raquo", 0x00BB},
    {L"lsquo", 0x2018},   {L"rsquo", 0x2019},   {L"ldquo", 0x201C},   {L"rdquo", 0x201D},
    {L"larr", 0x2190},    {L"rarr", 0x2192},    {L"uarr", 0x2191},    {L"darr", 0x2193},
    {L"times", 0x00D7},   {L"deg", 0x00B0},
};

const int kLongestName = 8;
const int kLongestNumber = 8; // digits; more is not a reference

bool IsAsciiLetterOrDigit(WCHAR c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'); }

// A code point as UTF-16; what cannot be a character becomes U+FFFD.
int StoreCodePoint(unsigned long code, WCHAR out[2])
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x10000) {
        out[0] = (WCHAR)code;
        return 1;
    }
    code -= 0x10000;
    out[0] = (WCHAR)(0xD800 + (code >> 10));
    out[1] = (WCHAR)(0xDC00 + (code & 0x3FF));
    return 2;
}

// "&#169;" or "&#xA9;"; the closing ';' may be missing, as browsers allow.
int DecodeNumeric(const WCHAR* at, int available, WCHAR out[2], int* outCount)
{
    int i = 2;
    bool hex = i < available && (at[i] == L'x' || at[i] == L'X');
    if (hex)
        ++i;
    unsigned long code = 0;
    int digits = 0;
    while (i < available && digits <= kLongestNumber) {
        int value = hex ? HexDigitValue(at[i]) : (at[i] >= L'0' && at[i] <= L'9' ? at[i] - L'0' : -1);
        if (value < 0)
            break;
        code = code * (hex ? 16 : 10) + (unsigned long)value;
        ++digits;
        ++i;
    }
    if (digits == 0 || digits > kLongestNumber)
        return 0;
    if (i < available && at[i] == L';')
        ++i;
    *outCount = StoreCodePoint(code, out);
    return i;
}

} // namespace

int DecodeHtmlEntity(const WCHAR* at, int available, WCHAR out[2], int* outCount)
{
    *outCount = 0;
    if (!at || available < 3 || at[0] != L'&')
        return 0;
    if (at[1] == L'#')
        return DecodeNumeric(at, available, out, outCount);

    int nameLength = 0;
    while (1 + nameLength < available && nameLength <= kLongestName && IsAsciiLetterOrDigit(at[1 + nameLength]))
        ++nameLength;
    if (nameLength == 0 || nameLength > kLongestName || 1 + nameLength >= available || at[1 + nameLength] != L';')
        return 0;
    for (const NamedEntity& entity : kNamedEntities) {
        if ((int)wcslen(entity.name) == nameLength && wcsncmp(entity.name, at + 1, (size_t)nameLength) == 0) {
            out[0] = entity.value;
            *outCount = 1;
            return nameLength + 2;
        }
    }
    return 0;
}

int HexDigitValue(WCHAR c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}
