// LoadCursorW as the device answers it: a system cursor's identifier finds the
// system cursor whatever instance is given.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_input.h"

HCURSOR WINAPI CeLoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    HCURSOR cursor = LoadCursorW(instance, name);
    if (!cursor && instance && IS_INTRESOURCE(name))
        cursor = LoadCursorW(nullptr, name);
    return cursor;
}
