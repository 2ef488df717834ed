// The key-click sound, read once into memory so that a key press costs no file access.
#include "Keyboard.h"
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static BYTE* s_sound; // a whole WAVE file, or null

enum { RIFF_HEADER_BYTES = 12 };

// A complete RIFF/WAVE image: the sound system is never handed a cut or foreign file.
static bool IsWholeWave(const BYTE* data, long bytes)
{
    if (bytes < RIFF_HEADER_BYTES || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    DWORD declared = (DWORD)data[4] | ((DWORD)data[5] << 8) | ((DWORD)data[6] << 16) | ((DWORD)data[7] << 24);
    return declared >= 4 && (unsigned long)declared <= (unsigned long)(bytes - 8);
}

int LoadKeySound(const WCHAR* path)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0; // a sound already loaded stays
    long bytes = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        bytes = ftell(file);
    fseek(file, 0, SEEK_SET);

    FreeKeySound();
    if (bytes <= 0) {
        fclose(file);
        return 0;
    }
    BYTE* block = (BYTE*)malloc((size_t)bytes);
    if (!block) {
        fclose(file);
        return 0;
    }
    size_t read = fread(block, 1, (size_t)bytes, file);
    fclose(file);
    if (read != (size_t)bytes || !IsWholeWave(block, bytes)) {
        free(block);
        return 0;
    }
    s_sound = block;
    return 1;
}

void FreeKeySound()
{
    if (!s_sound)
        return;
    // An asynchronous click may still be reading the block: stop it first.
    PlaySoundW(nullptr, nullptr, 0);
    free(s_sound);
    s_sound = nullptr;
}

int PlayKeySound(HINSTANCE instance)
{
    if (!s_sound)
        return 0;
    PlaySoundW((LPCWSTR)s_sound, instance, SND_MEMORY | SND_ASYNC);
    return 1;
}
