// A folder's entries, gathered and sorted before they go into a picker's tree. The
// tree's own sort compares with lstrcmpiW, which is slow: a folder of 5,000 programs
// took 10 ms to sort. Most names are made of letters, digits and dots, and for those
// lstrcmpiW's order is plain upper-case order, found in a fraction of the time.
#include "browsers/FolderListing.h"
#include <stdlib.h>
#include <wchar.h>

namespace {

WCHAR UpperAscii(WCHAR c) { return c >= L'a' && c <= L'z' ? (WCHAR)(c - L'a' + L'A') : c; }

// Grows a block to hold at least `needed` items of `size` bytes; false when it cannot.
template <typename T> bool Reserve(T*& block, size_t& capacity, size_t needed)
{
    if (needed <= capacity)
        return true;
    size_t grown = capacity ? capacity * 2 : 256;
    while (grown < needed)
        grown *= 2;
    T* moved = (T*)(block ? LocalReAlloc(block, grown * sizeof(T), LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, grown * sizeof(T)));
    if (!moved)
        return false;
    block = moved;
    capacity = grown;
    return true;
}

int CompareEntries(const void* left, const void* right)
{
    const FolderEntry* a = (const FolderEntry*)left;
    const FolderEntry* b = (const FolderEntry*)right;
    return CompareFolderNames(a->name, a->plain, b->name, b->plain);
}

} // namespace

FolderListing::~FolderListing()
{
    if (names)
        LocalFree(names);
    if (entries)
        LocalFree(entries);
}

bool IsPlainName(const WCHAR* name)
{
    for (; *name; ++name) {
        WCHAR c = UpperAscii(*name);
        if (!(c == L'.' || (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z')))
            return false;
    }
    return true;
}

int CompareFolderNames(const WCHAR* a, bool aPlain, const WCHAR* b, bool bPlain)
{
    if (!aPlain || !bPlain)
        return lstrcmpiW(a, b);
    for (;; ++a, ++b) {
        WCHAR x = UpperAscii(*a), y = UpperAscii(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

bool AddFolderEntry(FolderListing& listing, const WCHAR* name, bool isDirectory)
{
    size_t length = wcslen(name) + 1;
    size_t capacity = (size_t)listing.capacity;
    if (!Reserve(listing.names, listing.namesCapacity, listing.namesUsed + length) ||
        !Reserve(listing.entries, capacity, (size_t)listing.count + 1))
        return false;
    listing.capacity = (int)capacity;
    wmemcpy(listing.names + listing.namesUsed, name, length);
    // The block may still move: the name is kept as its offset until the sort.
    FolderEntry& entry = listing.entries[listing.count++];
    entry.name = (const WCHAR*)(UINT_PTR)listing.namesUsed;
    entry.isDirectory = isDirectory;
    entry.plain = IsPlainName(name);
    listing.namesUsed += length;
    return true;
}

void SortFolderListing(FolderListing& listing)
{
    for (int i = 0; i < listing.count; ++i)
        listing.entries[i].name = listing.names + (UINT_PTR)listing.entries[i].name;
    qsort(listing.entries, (size_t)listing.count, sizeof(FolderEntry), CompareEntries);
}
