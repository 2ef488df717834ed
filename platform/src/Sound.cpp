// Sound playback. The emulated device has no loudspeaker a test could listen to, so
// each sound played from memory (the key click) is counted in its state, once the
// sound system has taken it.
#define CE_DEVICE_NO_NAME_MAPPING
#include "EmulatedDevice.h"
#include "ce_device_input.h"

BOOL WINAPI CePlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags)
{
    BOOL played = PlaySoundW(sound, module, flags);
    if (played && sound && (flags & SND_MEMORY))
        DeviceStateAdd(L"KeyClicks", 1);
    return played;
}
