// The screen's size for the pointer code, read again only after the display has
// changed. Every process of the device shares one change counter in named memory;
// the platform's display changes count it up.
#include "EmulatedDevice.h"

static volatile LONG* ChangeCounter()
{
    static volatile LONG* counter = [] {
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                            L"EmulatedDevice.DisplayChanges");
        void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)) : nullptr;
        return (volatile LONG*)view; // kept for the process's life
    }();
    return counter;
}

void NoteDisplayChanged()
{
    if (volatile LONG* counter = ChangeCounter())
        InterlockedIncrement(counter);
}

void CurrentScreenSize(int* width, int* height)
{
    static LONG s_seen = -1;
    static int s_width, s_height;
    volatile LONG* counter = ChangeCounter();
    LONG now = counter ? *counter : -2;
    if (!counter || now != s_seen || s_width <= 0 || s_height <= 0) {
        s_width = GetSystemMetrics(SM_CXSCREEN);
        s_height = GetSystemMetrics(SM_CYSCREEN);
        s_seen = now;
    }
    *width = s_width;
    *height = s_height;
}
