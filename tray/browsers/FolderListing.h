// One folder's entries gathered before they go into a picker's tree, so that the
// level is sorted once, here, in the order the tree's own sort gives.
#pragma once
#include <windows.h>

struct FolderEntry {
    const WCHAR* name;
    bool isDirectory;
    bool plain; // letters, digits and dots only
};

struct FolderListing {
    WCHAR* names = nullptr; // every name terminated, one after another
    size_t namesUsed = 0, namesCapacity = 0;
    FolderEntry* entries = nullptr; // names as offsets into `names` until sorted
    int count = 0, capacity = 0;

    FolderListing() = default;
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing();
};

// Adds one entry; false when memory runs out (the listing keeps what it had).
bool AddFolderEntry(FolderListing& listing, const WCHAR* name, bool isDirectory);

// Sorts the entries by name in lstrcmpiW's order and makes their names pointers.
void SortFolderListing(FolderListing& listing);

// lstrcmpiW's order, found without it when both names are plain: for letters,
// digits and dots that order is the order of the upper-case characters.
int CompareFolderNames(const WCHAR* a, bool aPlain, const WCHAR* b, bool bPlain);

// True for a name of letters, digits and dots only.
bool IsPlainName(const WCHAR* name);
