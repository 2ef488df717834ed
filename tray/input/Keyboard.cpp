// Key reports from the driver, injected as they come. The keys injected as pressed
// are remembered, so that a keyboard that goes away never leaves a key held down.
#include "Keyboard.h"
#include "AppState.h"
#include "Backlight.h"
#include "GUI.h"

namespace {
enum { KEY_CODES = 256 };

// Per virtual key: whether a press is still held, and how it was sent, so that the
// release matches it.
struct HeldKey {
    BYTE held;
    BYTE scanCode;
    DWORD extended;
};
HeldKey s_heldKeys[KEY_CODES];
} // namespace

void HandleKeyReport(WPARAM report, LPARAM flags)
{
    BYTE virtualKey = (BYTE)((report >> 16) & 0xFF);
    BYTE scanCode = (BYTE)((report >> 24) & 0xFF);
    DWORD keyFlags = (DWORD)flags;
    keybd_event(virtualKey, scanCode, keyFlags, 0);

    HeldKey& key = s_heldKeys[virtualKey];
    if (keyFlags & KEYEVENTF_KEYUP) {
        key.held = 0;
    } else {
        key.held = 1;
        key.scanCode = scanCode;
        key.extended = keyFlags & KEYEVENTF_EXTENDEDKEY;
    }

    NoteInputActivity();
    if (g_gui.KBSounds && !(keyFlags & KEYEVENTF_KEYUP))
        PlayKeySound(g_instance);
}

void ReleaseHeldKeys()
{
    for (int vk = 0; vk < KEY_CODES; ++vk) {
        HeldKey& key = s_heldKeys[vk];
        if (!key.held)
            continue;
        key.held = 0;
        keybd_event((BYTE)vk, key.scanCode, key.extended | KEYEVENTF_KEYUP, 0);
    }
}
