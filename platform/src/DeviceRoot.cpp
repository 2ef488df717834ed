// A Windows CE device has a single file system with one root and no current
// directory: "\ui.tray.dbg" and "\windows\ctlpnl.exe" name files below that root.
// Under Wine the device's root is the system drive, so every process of the device
// starts with its current directory there and root-relative paths resolve alike,
// however the process was started.
#include "ce_device_api.h"

namespace {
struct DeviceRoot {
    DeviceRoot()
    {
        WCHAR windows[MAX_PATH] = {};
        if (GetWindowsDirectoryW(windows, MAX_PATH) >= 2 && windows[1] == L':') {
            WCHAR root[4] = {windows[0], L':', L'\\', 0};
            SetCurrentDirectoryW(root);
        }
    }
};
DeviceRoot s_deviceRoot;
} // namespace
