// The soft-key bar of a window, as a test or benchmark finds it to tap its keys.
#include "DeviceKit.h"

HWND FindSoftKeyBar(HWND window)
{
    struct Search {
        HWND owner, bar;
    } search = {window, nullptr};
    EnumWindows(
        [](HWND candidate, LPARAM data) CALLBACK -> BOOL {
            Search* s = (Search*)data;
            if (GetWindow(candidate, GW_OWNER) == s->owner && FindWindowExW(candidate, nullptr, L"button", L"OK"))
                s->bar = candidate;
            return !s->bar;
        },
        (LPARAM)&search);
    return search.bar;
}
