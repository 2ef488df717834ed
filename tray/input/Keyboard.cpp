// Key reports from the driver, injected as they come. The keys injected as pressed
// are remembered, so that a keyboard that goes away never leaves a key held down.
#include "input/Keyboard.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "input/Backlight.h"
#include "input/KeySound.h"
#include "protocol/DriverProtocol.h"

namespace {
enum { KEY_CODES = 256 };

// A press still held, with the flags it went out with, so that its release is the
// same key: a character key (KEYEVENTF_UNICODE) is known by its scan field, which
// carries the character, and reaches the system as VK_PACKET whatever its key code.
struct HeldKey {
    bool held;
    BYTE virtualKey;
    BYTE scanCode;
    DWORD pressFlags;
};
HeldKey s_heldKeys[KEY_CODES];       // by virtual key
HeldKey s_heldCharacters[KEY_CODES]; // KEYEVENTF_UNICODE presses, by character

HeldKey& HeldEntry(BYTE virtualKey, BYTE scanCode, DWORD flags)
{
    return (flags & KEYEVENTF_UNICODE) ? s_heldCharacters[scanCode] : s_heldKeys[virtualKey];
}

void ReleaseAll(HeldKey (&keys)[KEY_CODES])
{
    for (HeldKey& key : keys) {
        if (!key.held)
            continue;
        key.held = false;
        keybd_event(key.virtualKey, key.scanCode, key.pressFlags | KEYEVENTF_KEYUP, 0);
    }
}
} // namespace

void HandleKeyReport(DWORD report, DWORD flags)
{
    BYTE virtualKey = KeyReportVirtualKey(report);
    BYTE scanCode = KeyReportScanCode(report);
    keybd_event(virtualKey, scanCode, flags, 0);

    HeldKey& key = HeldEntry(virtualKey, scanCode, flags);
    if (flags & KEYEVENTF_KEYUP) {
        key.held = false;
    } else {
        key.held = true;
        key.virtualKey = virtualKey;
        key.scanCode = scanCode;
        key.pressFlags = flags;
    }

    NoteInputActivity();
    if (AppSettings().KBSounds && !(flags & KEYEVENTF_KEYUP))
        PlayKeySound(g_instance);
}

void ReleaseHeldKeys()
{
    ReleaseAll(s_heldKeys);
    ReleaseAll(s_heldCharacters);
}
