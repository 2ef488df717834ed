// Screen rotation of the emulated device. The device reports and accepts an
// orientation (DMDO_0, 90, 180, 270); the emulated screen shows a quarter turn by
// swapping its width and height. Like the device, the change is announced with
// WM_SETTINGCHANGE, sent to every top-level window with a time-out.
#define CE_DEVICE_NO_NAME_MAPPING
#include "EmulatedDevice.h"
#include "ce_device_input.h"

static bool IsQuarterTurn(DWORD orientation) { return orientation == DMDO_90 || orientation == CE_DMDO_270; }

// The recorded orientation holds only for the screen size it was recorded with: a
// device whose screen was started afresh is upright again.
// Observers read the orientation in degrees.
static DWORD Degrees(DWORD orientation)
{
    return orientation == DMDO_90 ? 90 : orientation == DMDO_180 ? 180 : orientation == CE_DMDO_270 ? 270 : 0;
}

static DWORD CurrentOrientation()
{
    DWORD degrees = DeviceStateRead(L"Orientation", 0);
    DWORD width = DeviceStateRead(L"OrientationWidth", 0);
    if (width != (DWORD)GetSystemMetrics(SM_CXSCREEN))
        return DMDO_DEFAULT;
    return degrees == 90 ? DMDO_90 : degrees == 180 ? DMDO_180 : degrees == 270 ? CE_DMDO_270 : DMDO_DEFAULT;
}

static void RecordOrientation(DWORD orientation)
{
    DeviceStateWrite(L"Orientation", Degrees(orientation));
    DeviceStateWrite(L"OrientationWidth", (DWORD)GetSystemMetrics(SM_CXSCREEN));
}

LONG WINAPI CeChangeDisplaySettingsExW(LPCWSTR deviceName, DEVMODEW* mode, HWND window, DWORD flags, LPVOID param)
{
    // The device's DM_DISPLAYORIENTATION bit, or the desktop's for desktop callers.
    if (!mode || !(mode->dmFields & (CE_DM_DISPLAYORIENTATION | 0x00000080L))) {
        LONG result = ChangeDisplaySettingsExW(deviceName, mode, window, flags, param);
        if (result == DISP_CHANGE_SUCCESSFUL && !(flags & CDS_TEST))
            NoteDisplayChanged();
        return result;
    }

    DWORD current = CurrentOrientation();
    if (flags & CDS_TEST) {
        mode->dmDisplayOrientation = current;
        return DISP_CHANGE_SUCCESSFUL;
    }
    DWORD wanted = mode->dmDisplayOrientation;
    if (wanted != DMDO_DEFAULT && wanted != DMDO_90 && wanted != DMDO_180 && wanted != CE_DMDO_270)
        return DISP_CHANGE_BADPARAM;

    if (IsQuarterTurn(wanted) != IsQuarterTurn(current)) {
        DEVMODEW size = {};
        size.dmSize = sizeof size;
        size.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        size.dmPelsWidth = GetSystemMetrics(SM_CYSCREEN);
        size.dmPelsHeight = GetSystemMetrics(SM_CXSCREEN);
        LONG result = ChangeDisplaySettingsExW(nullptr, &size, nullptr, 0, nullptr);
        if (result != DISP_CHANGE_SUCCESSFUL)
            return result;
        NoteDisplayChanged();
    }
    RecordOrientation(wanted);
    // Every top-level window hears of the new screen before the caller goes on, as on
    // the device; a hung window costs at most a second. (Wine delivers a broadcast
    // only when it is sent, not posted or notified.)
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
    return DISP_CHANGE_SUCCESSFUL;
}
